// The records that the Matroska parser fills: the EBML header, the segment information,
// seek entries, track entries, attached files, chapter editions and tags. Every record
// owns what it lists; the reader (TMatroskaReader) owns the records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ambrel {

// Values of the EBML header element. Integer fields keep the low 32 bits of the value read.
struct TEbmlHeader {
  int32_t EBMLVersion = 0;
  int32_t EBMLReadVersion = 0;
  int32_t EBMLMaxIDLength = 0;
  int32_t EBMLMaxSizeLength = 0;
  std::string DocType;
  int32_t DocTypeVersion = 0;
  int32_t DocTypeReadVersion = 0;
};

// Strings hold the element's bytes as stored (UTF-8 for Matroska's UTF-8 elements).
struct TMatroskaSegmentInfo {
  int64_t SegmentPosition = 0;      // first ID byte of the Segment
  int64_t SegmentSize = 0;          // the Segment's TotalSize (ID, size field and data)
  int64_t SegmentDataPosition = 0;  // first child of the Segment; seek positions count from here
  int64_t TimecodeScale = 0;        // 1000000 once an Info element is entered, then as read
  double Duration = 0.0;            // TimecodeScale units while parsing; milliseconds after Parse
  std::string Title;
  std::string MuxingApp;
  std::string WritingApp;
  int64_t DateUTC = 0;              // nanoseconds since 2001-01-01 00:00:00 UTC; 0 when absent
  bool HasDateUTC = false;          // a DateUTC element was read (0 and negatives are dates too)
  int64_t ClusterPosition = 0;      // first Cluster's first ID byte; 0 when none was reached
  bool Complete = false;            // the file holds the Segment as far as its header says
  std::string SegmentFilename;
  std::string PrevFilename;
  std::string NextFilename;
};

struct TMatroskaSeekEntry {
  uint32_t SeekID = 0;       // the sought element's ID, marker bit included
  int64_t SeekPosition = 0;  // relative to SegmentDataPosition
};

// One TrackEntry. 32-bit integers keep the low 32 bits of the value read.
struct TMatroskaTrackEntry {
  uint32_t TrackNumber = 0;
  uint32_t TrackUID = 0;
  uint32_t FlagEnabled = 1;
  uint32_t FlagDefault = 1;
  uint32_t FlagLacing = 1;
  uint32_t MinCache = 0;
  uint32_t MaxCache = 0;
  uint32_t DefaultDuration = 0;  // nanoseconds per frame as stored
  double TrackTimecodeScale = 1.0;
  std::string Name;
  std::string Language = "eng";
  std::string CodecID;
  // Set only for "V_MS/VFW/FOURCC" video tracks whose CodecPrivate holds at least 20 bytes
  // (the biCompression field of the BITMAPINFOHEADER, in file order); empty otherwise.
  std::string Fourcc;
  // Set only for "A_MS/ACM" audio tracks whose CodecPrivate holds at least 2 bytes
  // (wFormatTag of the WAVEFORMATEX); HasFormatTag says whether it was derived.
  uint32_t FormatTag = 0;
  bool HasFormatTag = false;
  std::vector<uint8_t> CodecPrivate;  // the CodecPrivate element's bytes
  bool HasCodecPrivate = false;       // a CodecPrivate element was read
  std::string CodecName;
  std::string CodecSettings;
  std::string CodecInfoURL;
  std::string CodecDownloadURL;
  uint32_t CodecDecodeAll = 1;
  uint32_t TrackOverlay = 0;
  uint8_t TrackType = 0;  // 1 video, 2 audio, 3 complex, 0x10 logo, 0x11 subtitles, 0x20 control

  // Video settings (0 unless a Video element was read).
  uint32_t PixelWidth = 0;
  uint32_t PixelHeight = 0;
  uint32_t DisplayWidth = 0;
  uint32_t DisplayHeight = 0;

  // Audio settings, kept apart from the video settings (0 unless an Audio element was read).
  double SamplingFrequency = 0.0;
  double OutputSamplingFrequency = 0.0;
  uint32_t Channels = 0;
  uint32_t BitDepth = 0;
};

struct TMatroskaAttachedFile {
  std::string FileDescription;
  std::string FileName;
  std::string FileMimeType;
  int64_t FileDataPosition = 0;  // first byte of the attached file (the FileData element's data)
  int64_t FileDataSize = 0;      // number of bytes of the attached file
  uint32_t FileUID = 0;
};

struct TMatroskaChapterDisplay {
  std::string ChapString;
  std::string ChapLanguage;
  std::string ChapCountry;
};

struct TMatroskaChapterAtom {
  static constexpr int kMaxTrackNumbers = 32;

  uint32_t ChapterUID = 0;
  int64_t ChapterTimeStart = 0;  // nanoseconds
  int64_t ChapterTimeEnd = 0;    // nanoseconds; missing ends are filled at the end of the parse
  uint32_t ChapterFlagHidden = 0;
  uint32_t ChapterFlagEnabled = 0;
  int64_t ChapterPhysicalEquiv = 0;
  int64_t ChapterTrackNumbers[kMaxTrackNumbers] = {};
  uint32_t ChapterTrackCount = 0;  // used entries of ChapterTrackNumbers
  std::vector<std::unique_ptr<TMatroskaChapterDisplay>> Displays;  // empty: none
  std::vector<std::unique_ptr<TMatroskaChapterAtom>> ChapterAtoms;  // nested atoms; empty: none
};

struct TMatroskaEditionEntry {
  uint32_t EditionUID = 0;
  uint32_t EditionFlagHidden = 0;
  uint32_t EditionFlagDefault = 0;
  uint32_t EditionManaged = 0;
  std::vector<std::unique_ptr<TMatroskaChapterAtom>> ChapterAtoms;  // top-level atoms; empty: none
};

struct TMatroskaTagTarget {
  uint32_t TargetTypeValue = 0;
  std::string TargetType;
  uint32_t TrackUID = 0;
  uint32_t EditionUID = 0;
  uint32_t ChapterUID = 0;
  uint32_t AttachmentUID = 0;
};

struct TMatroskaSimpleTag {
  std::string TagName;
  std::string TagLanguage;
  uint32_t TagDefault = 0;
  std::string TagString;
  std::vector<std::unique_ptr<TMatroskaSimpleTag>> SimpleTags;  // nested simple tags
};

struct TMatroskaTag {
  TMatroskaTagTarget Targets;
  std::vector<std::unique_ptr<TMatroskaSimpleTag>> SimpleTags;
};

}  // namespace ambrel
