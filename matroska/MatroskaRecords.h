// The records that the Matroska parser fills: the EBML header, the segment information,
// seek entries, track entries, attached files, chapter editions and tags. Every record
// owns what it lists; the reader (TMatroskaReader) owns the records. Fields start at 0 or
// empty: the values of absent elements stand in the readers' rule tables.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ambrel {

// Text of a record field that most files leave out. An empty one costs one pointer, so
// files dense in small records keep a small memory footprint; it reads like the
// std::string it holds.
class TOptionalText {
 public:
  TOptionalText() = default;
  TOptionalText(const TOptionalText& Other) { *this = Other.str(); }
  TOptionalText(TOptionalText&&) noexcept = default;
  TOptionalText& operator=(const TOptionalText& Other) { return *this = Other.str(); }
  TOptionalText& operator=(TOptionalText&&) noexcept = default;
  TOptionalText& operator=(std::string Text) {
    if (Text.empty()) {
      FText.reset();
    } else if (FText) {
      *FText = std::move(Text);
    } else {
      FText = std::make_unique<std::string>(std::move(Text));
    }
    return *this;
  }
  TOptionalText& assign(const char* Bytes, size_t Count) { return *this = std::string(Bytes, Count); }

  const std::string& str() const { return FText ? *FText : Empty(); }
  operator const std::string&() const { return str(); }
  operator std::string_view() const { return str(); }
  bool empty() const { return !FText; }
  size_t size() const { return FText ? FText->size() : 0; }
  const char* c_str() const { return str().c_str(); }

  friend bool operator==(const TOptionalText& A, std::string_view B) { return std::string_view(A.str()) == B; }

 private:
  static const std::string& Empty() {
    static const std::string empty;
    return empty;
  }

  std::unique_ptr<std::string> FText;  // null when empty
};

// A record field that most files leave out, held behind a pointer (null when absent) and
// copied deeply.
template <class T>
class TOptionalRecord {
 public:
  TOptionalRecord() = default;
  TOptionalRecord(const TOptionalRecord& Other) : FValue(Other.FValue ? std::make_unique<T>(*Other.FValue) : nullptr) {}
  TOptionalRecord(TOptionalRecord&&) noexcept = default;
  TOptionalRecord& operator=(const TOptionalRecord& Other) {
    FValue = Other.FValue ? std::make_unique<T>(*Other.FValue) : nullptr;
    return *this;
  }
  TOptionalRecord& operator=(TOptionalRecord&&) noexcept = default;

  // The record, made (with its fields' initial values) when there is none yet.
  T& Make() {
    if (!FValue) FValue = std::make_unique<T>();
    return *FValue;
  }
  const T* get() const { return FValue.get(); }
  explicit operator bool() const { return FValue != nullptr; }

 private:
  std::unique_ptr<T> FValue;
};

// Values of the EBML header element, as read (unsigned, all 64 bits).
struct TEbmlHeader {
  uint64_t EBMLVersion = 0;
  uint64_t EBMLReadVersion = 0;
  uint64_t EBMLMaxIDLength = 0;
  uint64_t EBMLMaxSizeLength = 0;
  std::string DocType;
  uint64_t DocTypeVersion = 0;
  uint64_t DocTypeReadVersion = 0;
};

// Strings hold the element's bytes as stored (UTF-8 for Matroska's UTF-8 elements).
struct TMatroskaSegmentInfo {
  int64_t SegmentPosition = 0;      // first ID byte of the Segment
  int64_t SegmentSize = 0;          // the Segment's TotalSize (ID, size field and data)
  int64_t SegmentDataPosition = 0;  // first child of the Segment; seek positions count from here
  uint64_t TimecodeScale = 0;       // its default once an Info element is entered, then as read
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
  bool HasDuration = false;           // a Duration element was read
  bool HasSegmentUID = false;         // a SegmentUID element was read
  std::vector<uint8_t> SegmentUID;    // its bytes as stored
};

struct TMatroskaSeekEntry {
  uint32_t SeekID = 0;       // the sought element's ID, marker bit included
  int64_t SeekPosition = 0;  // relative to SegmentDataPosition
};

// The mastering display of a video track's colour description (chromaticities and
// luminances as stored). The format defines no default for any of them: each Has flag
// says whether its value was read (an absent one holds 0).
struct TMatroskaMastering {
  double PrimaryRChromaticityX = 0.0;
  double PrimaryRChromaticityY = 0.0;
  double PrimaryGChromaticityX = 0.0;
  double PrimaryGChromaticityY = 0.0;
  double PrimaryBChromaticityX = 0.0;
  double PrimaryBChromaticityY = 0.0;
  double WhitePointChromaticityX = 0.0;
  double WhitePointChromaticityY = 0.0;
  double LuminanceMax = 0.0;
  double LuminanceMin = 0.0;
  bool HasPrimaryRChromaticityX = false;
  bool HasPrimaryRChromaticityY = false;
  bool HasPrimaryGChromaticityX = false;
  bool HasPrimaryGChromaticityY = false;
  bool HasPrimaryBChromaticityX = false;
  bool HasPrimaryBChromaticityY = false;
  bool HasWhitePointChromaticityX = false;
  bool HasWhitePointChromaticityY = false;
  bool HasLuminanceMax = false;
  bool HasLuminanceMin = false;
};

// A video track's colour description; absent children hold the format's defaults. The
// children without a default hold 0 when absent, and their Has flags say whether they
// were read.
struct TMatroskaColour {
  uint64_t MatrixCoefficients = 0;
  uint64_t BitsPerChannel = 0;
  uint64_t ChromaSubsamplingHorz = 0;
  uint64_t ChromaSubsamplingVert = 0;
  uint64_t Range = 0;
  uint64_t TransferCharacteristics = 0;
  uint64_t Primaries = 0;
  uint64_t MaxCLL = 0;
  uint64_t MaxFALL = 0;
  bool HasChromaSubsamplingHorz = false;
  bool HasChromaSubsamplingVert = false;
  bool HasMaxCLL = false;
  bool HasMaxFALL = false;
  TOptionalRecord<TMatroskaMastering> Mastering;  // null when no MasteringMetadata was read
};

// One ContentEncoding of a track: what was done to its frames, and in which order.
struct TMatroskaContentEncoding {
  uint64_t Order = 0;
  uint64_t Scope = 0;
  uint64_t Type = 0;
  uint64_t CompAlgo = 0;   // meaningful when HasCompression
  uint64_t EncAlgo = 0;    // meaningful when HasEncryption
  bool HasCompression = false;
  bool HasEncryption = false;
};

// What a track entry holds beyond what the file report shows: the BCP 47 language, the
// accessibility flags, codec delays, content encodings and the video's interlacing,
// cropping and colour. Absent elements hold the format's defaults.
struct TMatroskaTrackExtras {
  static constexpr size_t kMaxContentEncodings = 16;

  std::string LanguageBCP47;
  uint64_t CodecDelay = 0;   // nanoseconds
  uint64_t SeekPreRoll = 0;  // nanoseconds
  std::vector<TMatroskaContentEncoding> ContentEncodings;  // at most kMaxContentEncodings
  TOptionalRecord<TMatroskaColour> Colour;  // null when no Colour element was read
  uint32_t PixelCropTop = 0;
  uint32_t PixelCropBottom = 0;
  uint32_t PixelCropLeft = 0;
  uint32_t PixelCropRight = 0;
  // The forced, hearing-impaired, visual-impaired, text-descriptions, original and
  // commentary flags.
  uint8_t FlagForced = 0;
  uint8_t FlagHearingImpaired = 0;
  uint8_t FlagVisualImpaired = 0;
  uint8_t FlagTextDescriptions = 0;
  uint8_t FlagOriginal = 0;
  uint8_t FlagCommentary = 0;
  uint8_t FlagInterlaced = 0;  // 0 undetermined, 1 interlaced, 2 progressive
  uint8_t FieldOrder = 0;
  uint8_t StereoMode = 0;
};

// One TrackEntry. 32-bit integers keep the low 32 bits of the value read. Fields are
// ordered to keep padding small, and what few files hold stands in Extras: files can hold
// hundreds of thousands of entries.
struct TMatroskaTrackEntry {
  uint64_t TrackUID = 0;
  uint32_t TrackNumber = 0;
  uint32_t FlagEnabled = 0;
  uint32_t FlagDefault = 0;
  uint32_t FlagLacing = 0;
  uint32_t MinCache = 0;
  uint32_t MaxCache = 0;
  uint32_t DefaultDuration = 0;  // nanoseconds per frame as stored
  // Set only for "A_MS/ACM" audio tracks whose CodecPrivate holds at least 2 bytes
  // (wFormatTag of the WAVEFORMATEX); HasFormatTag says whether it was derived.
  uint32_t FormatTag = 0;
  double TrackTimecodeScale = 0.0;
  TOptionalText Name;
  std::string Language;
  std::string CodecID;
  // Set only for "V_MS/VFW/FOURCC" video tracks whose CodecPrivate holds at least 20 bytes
  // (the biCompression field of the BITMAPINFOHEADER, in file order); empty otherwise.
  TOptionalText Fourcc;
  bool HasFormatTag = false;
  bool HasCodecPrivate = false;  // a CodecPrivate element was read
  uint8_t TrackType = 0;  // 1 video, 2 audio, 3 complex, 0x10 logo, 0x11 subtitles, 0x20 control
  std::vector<uint8_t> CodecPrivate;  // the CodecPrivate element's bytes
  TOptionalText CodecName;
  TOptionalText CodecSettings;
  TOptionalText CodecInfoURL;
  TOptionalText CodecDownloadURL;
  uint32_t CodecDecodeAll = 0;
  uint32_t TrackOverlay = 0;

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

  TOptionalRecord<TMatroskaTrackExtras> Extras;  // null when the entry holds none of them
};

struct TMatroskaAttachedFile {
  std::string FileDescription;
  std::string FileName;
  std::string FileMimeType;
  int64_t FileDataPosition = 0;  // first byte of the attached file (the FileData element's data)
  int64_t FileDataSize = 0;      // number of bytes of the attached file
  uint64_t FileUID = 0;
};

// The track numbers of a chapter atom: most atoms have none, and then it costs one pointer.
class TTrackNumberList {
 public:
  TTrackNumberList() = default;
  TTrackNumberList(const TTrackNumberList& Other)
      : FNumbers(Other.FNumbers ? std::make_unique<std::vector<int64_t>>(*Other.FNumbers) : nullptr) {}
  TTrackNumberList(TTrackNumberList&&) noexcept = default;
  TTrackNumberList& operator=(const TTrackNumberList& Other) {
    FNumbers = Other.FNumbers ? std::make_unique<std::vector<int64_t>>(*Other.FNumbers) : nullptr;
    return *this;
  }
  TTrackNumberList& operator=(TTrackNumberList&&) noexcept = default;

  void push_back(int64_t Number) {
    if (!FNumbers) FNumbers = std::make_unique<std::vector<int64_t>>();
    FNumbers->push_back(Number);
  }
  size_t size() const { return FNumbers ? FNumbers->size() : 0; }
  bool empty() const { return size() == 0; }
  int64_t operator[](size_t Index) const { return (*FNumbers)[Index]; }
  const int64_t* begin() const { return FNumbers ? FNumbers->data() : nullptr; }
  const int64_t* end() const { return FNumbers ? FNumbers->data() + FNumbers->size() : nullptr; }

 private:
  std::unique_ptr<std::vector<int64_t>> FNumbers;  // null when empty
};

struct TMatroskaChapterDisplay {
  std::string ChapString;
  std::string ChapLanguage;
  TOptionalText ChapCountry;  // rarely set
};

// Fields are ordered to keep the record small: files can hold hundreds of thousands of atoms.
struct TMatroskaChapterAtom {
  static constexpr size_t kMaxTrackNumbers = 32;

  uint64_t ChapterUID = 0;
  uint32_t ChapterFlagHidden = 0;
  uint32_t ChapterFlagEnabled = 0;
  int64_t ChapterTimeStart = 0;  // nanoseconds
  int64_t ChapterTimeEnd = 0;    // nanoseconds; missing ends are filled at the end of the parse
  int64_t ChapterPhysicalEquiv = 0;
  TTrackNumberList ChapterTrackNumbers;  // at most kMaxTrackNumbers
  std::vector<TMatroskaChapterDisplay> Displays;  // empty: none
  std::vector<TMatroskaChapterAtom> ChapterAtoms;  // nested atoms; empty: none
};

struct TMatroskaEditionEntry {
  uint64_t EditionUID = 0;
  uint32_t EditionFlagHidden = 0;
  uint32_t EditionFlagDefault = 0;
  uint32_t EditionManaged = 0;
  std::deque<TMatroskaChapterAtom> ChapterAtoms;  // top-level atoms; empty: none
};

struct TMatroskaTagTarget {
  uint32_t TargetTypeValue = 0;
  std::string TargetType;
  uint64_t TrackUID = 0;
  uint64_t EditionUID = 0;
  uint64_t ChapterUID = 0;
  uint64_t AttachmentUID = 0;
};

struct TMatroskaSimpleTag {
  std::string TagName;
  std::string TagLanguage;
  uint32_t TagDefault = 0;
  std::string TagString;
  std::vector<TMatroskaSimpleTag> SimpleTags;  // nested simple tags
};

struct TMatroskaTag {
  TMatroskaTagTarget Targets;
  std::vector<TMatroskaSimpleTag> SimpleTags;
};

}  // namespace ambrel
