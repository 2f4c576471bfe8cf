// The Matroska parser's entry point: TMatroskaReader checks the EBML header, finds the
// Segment, reads its metadata elements up to the first Cluster (fetching the segment
// information, Tracks, Chapters, Attachments and Tags placed after it through the seek
// heads) into records, and writes every value it reads into the parsing log.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "matroska/ChapterOutline.h"
#include "matroska/EbmlReader.h"
#include "matroska/FileReader.h"
#include "base/FloatFormat.h"
#include "matroska/MatroskaError.h"
#include "matroska/MatroskaRecords.h"

namespace ambrel {

class TLogWriter;
template <class Rec>
struct TElementRule;

// Chapter atoms nested deeper than this (a top-level atom is depth 1), and simple tags
// nested deeper than this, are skipped like unknown elements.
constexpr int kMaxNestingDepth = 64;

// The top-level atoms of an edition. The lists of many records (top-level atoms, tracks,
// tags) grow in blocks that never move; nested lists, short as a rule, are vectors.
using TChapterAtomList = std::deque<TMatroskaChapterAtom>;

// How a caller follows and stops a parse running on its thread. Both members are optional.
struct TParseControl {
  // Called with the file position and the file's size (-1 when unknown) each time the
  // parse has moved on by kProgressStep bytes or more.
  std::function<void(int64_t Position, int64_t Size)> OnProgress;
  // Set (from any thread) to stop the parse at the next element; what was read stays.
  const std::atomic<bool>* Cancel = nullptr;

  static constexpr int64_t kProgressStep = 64 * 1024;
};

class TMatroskaReader {
 public:
  TMatroskaReader(TFileReader& FileReader, TLogWriter& ParseLog);
  ~TMatroskaReader();
  TMatroskaReader(const TMatroskaReader&) = delete;
  TMatroskaReader& operator=(const TMatroskaReader&) = delete;

  // Runs the whole parse, once. True when the first Cluster was reached. Errors of the
  // element readers leave as EMatroskaError, except in the seek phase, where they are
  // logged. A parse stopped through Control ends early with Cancelled set and the records
  // read so far finished as at a normal end.
  bool Parse();
  // Follows and may stop the parse; null (the default) for none. Not owned.
  void SetControl(const TParseControl* Control) { FControl = Control; }
  bool Cancelled() const { return FCancelled; }
  // When false, Tag elements are read, checked and logged as usual but not kept in Tags
  // (for reports that do not show them: a file can hold hundreds of thousands).
  void SetKeepTags(bool Keep) { FKeepTags = Keep; }
  // When false, chapter atoms are read, checked and logged as usual, and kept in the
  // outline only: each edition of Editions keeps its own values and no atom.
  void SetKeepChapterAtoms(bool Keep) { FKeepChapterAtoms = Keep; }

  // Empties the five lists and the chapter outline.
  void Clear();
  // SeekPosition of the first seek entry for ID, -1 when there is none.
  int64_t FindSeekPosition(uint32_t ID) const;
  // Seeks the file to the element that the seek head lists for ID; false when none.
  bool SeekToElement(uint32_t ID);
  // Seeks the file to a position counted from the Segment's data; false when it lies
  // before the start of the file.
  bool SeekToSegmentPosition(int64_t SeekPosition);

  std::unique_ptr<TEbmlReader> EbmlReader;
  TLogWriter& ParseLog;
  TMatroskaSegmentInfo SegmentInfo;
  std::deque<TMatroskaTrackEntry> Tracks;
  std::deque<TMatroskaSeekEntry> SeekEntries;
  std::deque<TMatroskaAttachedFile> Attachments;
  std::deque<TMatroskaEditionEntry> Editions;
  std::deque<TMatroskaTag> Tags;
  // Every edition and chapter atom read to its end, as the file report shows them.
  TChapterOutline ChapterOutline;
  // Why Parse returned false without an error or a cancellation (the log says it too).
  TParseFailure Failure;

 private:
  // The container loop, driven by a table of child rules: sets the defaults the rules
  // give, reads the children, then fills the fallbacks; returns not InElement.
  template <class Rec>
  bool ReadContainer(Rec& Record, std::span<const TElementRule<std::type_identity_t<Rec>>> Rules);
  // Reads one element into a new record and appends it to List when the element was read
  // to its end; a record cut short is dropped.
  template <class List>
  bool ReadRecord(List& Records, std::span<const TElementRule<typename List::value_type>> Rules);
  // Logs a container's title, enters it and runs its reader; false when the reader failed
  // (the child then stays on the element stack).
  template <class Rec>
  bool EnterChild(TEbmlElement& E, const TElementRule<Rec>& Rule, Rec& Record);
  // Reads an element that Rule marks quiet: logged as skipped, read with the log muted,
  // and the file left at its end whatever its content.
  template <class Rec>
  void ReadQuietly(TEbmlElement& E, const TElementRule<Rec>& Rule, Rec& Record);
  // Reads the children of the container that Rule stands for, entered already.
  template <class Rec>
  bool ReadChildren(const TElementRule<Rec>& Rule, Rec& Record);
  void FillAllChapterEndTimes();
  bool ParseBody();
  void FinishRecords();
  void NoteStop();
  // Reports progress and raises EParseCancelled when a stop was asked for.
  void CheckControl() {
    if (FControl) CheckControlSlow();
  }
  void CheckControlSlow();
  // The seek phase, run once the first Cluster was reached. InfoFound: an Info element
  // stood before it; SeekHeadPositions: the segment-relative positions of the seek heads
  // read before it.
  void ReadSeekPhase(TEbmlElement& H, bool InfoFound, std::vector<int64_t> SeekHeadPositions);
  // No element of this kind (Info, Tracks, Chapters, Attachments, Tags) was read yet.
  bool StillMissing(uint32_t ID, bool InfoFound) const;

  // Segment level.
  static std::span<const TElementRule<TMatroskaReader>> SegmentRules();
  bool ReadSegmentInfo(TMatroskaReader& Owner);
  bool ReadSeek(TMatroskaReader& Owner);

  // Tracks.
  bool ReadTrackEntry(TMatroskaReader& Owner);
  bool ReadVideo(TMatroskaTrackEntry& Track);
  bool ReadAudio(TMatroskaTrackEntry& Track);
  friend const TMatroskaTrackExtras& TrackExtrasOf(const TMatroskaTrackEntry& Track);
  static std::span<const TElementRule<TMatroskaTrackExtras>> TrackExtraRules();
  // The rule of the track entry's (or Video's) table that sends element ID to the extras.
  static TElementRule<TMatroskaTrackEntry> ExtraRule(uint32_t ID);
  void ReadTrackExtra(TEbmlElement& E, TMatroskaTrackEntry& Track);
  bool ReadColour(TMatroskaTrackExtras& Track);
  bool ReadMastering(TMatroskaColour& Colour);
  bool ReadContentEncoding(TMatroskaTrackExtras& Track);
  bool ReadContentCompression(TMatroskaContentEncoding& Encoding);
  bool ReadContentEncryption(TMatroskaContentEncoding& Encoding);

  // Attachments.
  bool ReadAttachedFile(TMatroskaReader& Owner);
  void ReadFileData(TEbmlElement& E, TMatroskaAttachedFile& File);

  // Chapters.
  bool ReadEditionEntry(TMatroskaReader& Owner);
  bool ReadEditionAtom(TMatroskaEditionEntry& Edition);
  bool ReadNestedAtom(TMatroskaChapterAtom& Parent);
  template <class List>
  bool ReadChapterAtom(List& Atoms);
  template <class Read>
  bool ReadOutlined(int Depth, Read&& ReadOne);
  bool ReadChapterTrack(TMatroskaChapterAtom& Atom);
  void ReadChapterTrackNumber(TEbmlElement& E, TMatroskaChapterAtom& Atom);
  bool ReadChapterDisplay(TMatroskaChapterAtom& Atom);

  // Tags.
  bool ReadTag(TMatroskaReader& Owner);
  bool ReadTagTargets(TMatroskaTag& Tag);
  bool ReadTagSimpleTag(TMatroskaTag& Tag);
  bool ReadNestedSimpleTag(TMatroskaSimpleTag& Parent);
  bool ReadSimpleTag(std::vector<TMatroskaSimpleTag>& List);

  std::deque<TMatroskaTag> FDroppedTags;  // the tag being read when tags are not kept
  size_t FTagsRead = 0;     // tags read to their end, kept or not
  bool FKeepTags = true;
  bool FKeepChapterAtoms = true;
  int FChapterDepth = 0;    // chapter atoms open while reading
  int FSimpleTagDepth = 0;  // simple tags open while reading
  const TParseControl* FControl = nullptr;
  int64_t FNextProgress = 0;
  bool FCancelled = false;
};

// Track is a "V_MS/VFW/FOURCC" video track (exact, case-sensitive CodecID).
bool IsVfwFourccTrack(const TMatroskaTrackEntry* Track);
// Track is an "A_MS/ACM" audio track (exact, case-sensitive CodecID).
bool IsAcmTrack(const TMatroskaTrackEntry* Track);

// The track's extras, or their defaults when the entry holds none.
const TMatroskaTrackExtras& TrackExtrasOf(const TMatroskaTrackEntry& Track);

// Gives every atom whose end time is 0 the next atom's start, or DefaultEnd for the last
// one, then fills each atom's nested atoms with the atom's end as their default.
void FillChapterEndTimes(TChapterAtomList& Atoms, int64_t DefaultEnd);

// The segment's length in nanoseconds: Duration x TimecodeScale rounded half to even; 0
// when the product is not finite, saturated when it lies outside 64 bits.
int64_t SegmentLengthNs(double Duration, uint64_t TimecodeScale);

}  // namespace ambrel
