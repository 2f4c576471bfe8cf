// The top-level parse: header checks, the Segment's children up to the first Cluster,
// the segment information, the seek heads and the seek phase.
#include "matroska/MatroskaHelper.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "matroska/ElementRules.h"
#include "base/Rounding.h"
#include "report/LogWriter.h"

namespace ambrel {

namespace {

// Seek heads that the seek phase follows from the ones already known, at most.
constexpr int kMaxChainedSeekHeads = 4;

// An element's name for messages: its own, or its ID in hex.
std::string ElementLabel(uint32_t ID) {
  const std::string_view name = ids::MasterName(ID);
  if (!name.empty()) return std::string(name);
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", ID);
  return text;
}

}  // namespace

TMatroskaReader::TMatroskaReader(TFileReader& FileReader, TLogWriter& ParseLog)
    : EbmlReader(std::make_unique<TEbmlReader>(FileReader, ParseLog)), ParseLog(ParseLog) {}

TMatroskaReader::~TMatroskaReader() { Clear(); }

void TMatroskaReader::Clear() {
  Tracks.clear();
  SeekEntries.clear();
  Attachments.clear();
  Editions.clear();
  ChapterOutline.Clear();
  Tags.clear();
  FTagsRead = 0;
}

int64_t TMatroskaReader::FindSeekPosition(uint32_t ID) const {
  for (const auto& entry : SeekEntries)
    if (entry.SeekID == ID) return entry.SeekPosition;
  return -1;
}

bool TMatroskaReader::SeekToElement(uint32_t ID) {
  const int64_t p = FindSeekPosition(ID);
  if (p == -1) return false;
  return SeekToSegmentPosition(p);
}

bool TMatroskaReader::SeekToSegmentPosition(int64_t SeekPosition) {
  // A position that lands before the start of the file cannot be sought: reading on from
  // wherever the file stands would take another element for the listed one.
  const auto target = static_cast<int64_t>(static_cast<uint64_t>(SegmentInfo.SegmentDataPosition) +
                                           static_cast<uint64_t>(SeekPosition));
  return EbmlReader->FileReader.Seek(target, 0) >= 0;
}

std::span<const TElementRule<TMatroskaReader>> TMatroskaReader::SegmentRules() {
  using R = TMatroskaReader;
  // The one kind of element each list holds.
  static const TElementRule<R> seek = ContainerRule<R>(ids::kSeek, "MetaSeek seek Info :", &R::ReadSeek);
  static const TElementRule<R> track = ContainerRule<R>(ids::kTrackEntry, "TrackEntry :", &R::ReadTrackEntry);
  static const TElementRule<R> file = ContainerRule<R>(ids::kAttachedFile, "Attached file :", &R::ReadAttachedFile);
  static const TElementRule<R> edition = ContainerRule<R>(ids::kEditionEntry, "Edition entry :", &R::ReadEditionEntry);
  static const TElementRule<R> tag = ContainerRule<R>(ids::kTag, "Tag :", &R::ReadTag);
  static const TElementRule<R> rules[] = {
      ContainerRule<R>(ids::kInfo, "Segment Info :", &R::ReadSegmentInfo),
      ListRule<R>(ids::kSeekHead, "MetaSeek Info :", seek),
      ListRule<R>(ids::kTracks, "Tracks :", track),
      ListRule<R>(ids::kAttachments, "Attachments :", file),
      ListRule<R>(ids::kChapters, "Chapters :", edition),
      ListRule<R>(ids::kTags, "Tags :", tag),
  };
  return rules;
}

bool TMatroskaReader::Parse() {
  try {
    return ParseBody();
  } catch (const EParseCancelled&) {
    FCancelled = true;
    FinishRecords();
    return false;
  }
}

void TMatroskaReader::CheckControlSlow() {
  const int64_t position = EbmlReader->FileReader.GetPosition();
  if (FControl->OnProgress && position >= FNextProgress) {
    FNextProgress = position + TParseControl::kProgressStep;
    FControl->OnProgress(position, EbmlReader->FileReader.GetSize());
  }
  if (FControl->Cancel && FControl->Cancel->load(std::memory_order_relaxed)) throw EParseCancelled();
}

bool TMatroskaReader::ParseBody() {
  TEbmlReader& reader = *EbmlReader;
  TFileReader& file = reader.FileReader;

  reader.ReaderHeader();
  const std::string& docType = reader.Header.DocType;
  if (docType != "matroska" && docType != "webm") {
    reader.LogLine("Wrong DocType (" + Verbatim(docType) + ")");
    Failure.Message = "Wrong DocType (" + docType + ")";
    return false;
  }
  if (reader.Header.DocTypeReadVersion > 4) {
    reader.LogLine("Wrong DocTypeReadVersion (" + std::to_string(reader.Header.DocTypeReadVersion) + ")");
    Failure.Message = "Wrong DocTypeReadVersion (" + std::to_string(reader.Header.DocTypeReadVersion) + ")";
    return false;
  }

  TEbmlElement segment(&reader);
  if (segment.ReadHeader() == 0 || segment.ID != ids::kSegment) {
    reader.LogLine("Segment not found");
    Failure.Message = "Segment not found";
    return false;
  }
  SegmentInfo.SegmentPosition = segment.Position;
  SegmentInfo.SegmentSize = segment.TotalSize;
  SegmentInfo.SegmentDataPosition = segment.DataPosition();
  const int64_t fileSize = file.GetSize();
  const auto segmentEnd = static_cast<int64_t>(static_cast<uint64_t>(SegmentInfo.SegmentPosition) +
                                               static_cast<uint64_t>(SegmentInfo.SegmentSize));
  SegmentInfo.Complete = fileSize >= 0 && segmentEnd <= fileSize;
  reader.EnterElement(segment);

  const auto rules = SegmentRules();
  TEbmlElement H(&reader);
  bool clusterFound = false;
  bool infoFound = false;
  std::vector<int64_t> seekHeadPositions;  // segment-relative positions of the seek heads read
  while (reader.InElement() && H.ReadHeader() > 0) {
    if (H.ID == ids::kCluster) {
      SegmentInfo.ClusterPosition = H.Position;
      clusterFound = true;
      break;
    }
    CheckControl();
    const TElementRule<TMatroskaReader>* rule = FindRule(rules, H.ID);
    if (!rule) {
      H.Skip();
      continue;
    }
    if (H.ID == ids::kInfo) infoFound = true;
    if (H.ID == ids::kSeekHead) seekHeadPositions.push_back(H.Position - SegmentInfo.SegmentDataPosition);
    if (!EnterChild(H, *rule, *this)) break;
  }

  if (clusterFound) {
    ReadSeekPhase(H, infoFound, std::move(seekHeadPositions));
  } else {
    NoteStop();
  }

  FinishRecords();
  return clusterFound;
}

// Completes what was read: chapter end times, the Duration in milliseconds; leaves the
// file at the first Cluster and the Segment as the innermost open element.
void TMatroskaReader::FinishRecords() {
  FillAllChapterEndTimes();
  if (SegmentInfo.Duration > 0)
    SegmentInfo.Duration = SegmentInfo.Duration * static_cast<double>(SegmentInfo.TimecodeScale) / 1000000;
  EbmlReader->FileReader.Seek(SegmentInfo.ClusterPosition, 0);
  EbmlReader->LeaveUntil(ids::kSegment);
}

// Says where the Segment's children ended without a Cluster: inside the innermost element
// still open when the file ends within it, else at the end of the Segment.
void TMatroskaReader::NoteStop() {
  const TEbmlElement* inner = EbmlReader->Innermost();
  if (!inner) return;
  const int64_t fileSize = EbmlReader->FileReader.GetSize();
  const auto end = static_cast<int64_t>(static_cast<uint64_t>(inner->Position) + static_cast<uint64_t>(inner->TotalSize));
  Failure.Element = ElementLabel(inner->ID);
  Failure.Position = inner->Position;
  Failure.ElementSize = inner->TotalSize;
  Failure.Truncated = fileSize >= 0 && end > fileSize;
  Failure.Message = Failure.Truncated ? "The file ends inside " + Failure.Element + " at position " +
                                            std::to_string(inner->Position)
                                      : "No Cluster before the end of the Segment";
}

bool TMatroskaReader::StillMissing(uint32_t ID, bool InfoFound) const {
  switch (ID) {
    case ids::kInfo: return !InfoFound;
    case ids::kTracks: return Tracks.empty();
    case ids::kChapters: return Editions.empty();
    case ids::kAttachments: return Attachments.empty();
    case ids::kTags: return FTagsRead == 0;
    default: return false;
  }
}

// Fetches through the seek heads what the head of the file did not hold: first the seek
// heads that the known ones list (an editor writes one behind the clusters when the first
// has no room), then the segment information, the tracks, the chapters, the attachments
// and the tags, each only when none was read yet. An error here ends only this phase; its
// message goes into the log at the depth it was thrown.
void TMatroskaReader::ReadSeekPhase(TEbmlElement& H, bool InfoFound, std::vector<int64_t> SeekHeadPositions) {
  TEbmlReader& reader = *EbmlReader;
  const auto rules = SegmentRules();
  // Reads the element at the file position when its header carries the expected ID.
  const auto fetch = [&](uint32_t id) {
    if (H.ReadHeader() == 0 || H.ID != id) return false;
    const TElementRule<TMatroskaReader>* rule = FindRule(rules, id);
    reader.LogLine(rule->Name);
    reader.EnterElement(H);
    ReadChildren(*rule, *this);  // the result is not looked at: what was read stays
    reader.LeaveElement();
    return true;
  };
  try {
    // Entries appended by a seek head read here are visited too. A seek head is read once
    // per position, so heads that list themselves or each other end the chain.
    int chained = 0;
    for (size_t i = 0; i < SeekEntries.size() && chained < kMaxChainedSeekHeads; ++i) {
      if (SeekEntries[i].SeekID != ids::kSeekHead) continue;
      const int64_t position = SeekEntries[i].SeekPosition;
      if (std::find(SeekHeadPositions.begin(), SeekHeadPositions.end(), position) != SeekHeadPositions.end())
        continue;
      if (SeekToSegmentPosition(position) && fetch(ids::kSeekHead)) {
        SeekHeadPositions.push_back(position);
        ++chained;
      }
    }
    // In this order; each list is looked at when its turn comes.
    for (const uint32_t id : {ids::kInfo, ids::kTracks, ids::kChapters, ids::kAttachments, ids::kTags}) {
      if (StillMissing(id, InfoFound) && SeekToElement(id)) fetch(id);
    }
  } catch (const EMatroskaError& e) {
    reader.LogLine(e.what());
  }
}

// Missing chapter end times are filled once, when everything has been read: the last
// atoms of an edition end with the segment.
void TMatroskaReader::FillAllChapterEndTimes() {
  const int64_t segmentEnd = SegmentLengthNs(SegmentInfo.Duration, SegmentInfo.TimecodeScale);
  for (auto& edition : Editions) FillChapterEndTimes(edition.ChapterAtoms, segmentEnd);
  ChapterOutline.FillEndTimes(segmentEnd);
}

bool TMatroskaReader::ReadSegmentInfo(TMatroskaReader& Owner) {
  using I = TMatroskaSegmentInfo;
  static const TElementRule<I> rules[] = {
      UintRule(ids::kTimecodeScale, "TimecodeScale", &I::TimecodeScale).WithDefault(1000000),
      FloatRule(ids::kDuration, "Duration", &I::Duration, &I::HasDuration),
      StringRule(ids::kTitle, "Title", &I::Title),
      StringRule(ids::kMuxingApp, "MuxingApp", &I::MuxingApp),
      StringRule(ids::kWritingApp, "WritingApp", &I::WritingApp),
      UintRule(ids::kDateUTC, "DateUTC", &I::DateUTC, &I::HasDateUTC),
      StringRule(ids::kSegmentFilename, "SegmentFilename", &I::SegmentFilename),
      StringRule(ids::kPrevFilename, "PrevFilename", &I::PrevFilename),
      StringRule(ids::kNextFilename, "NextFilename", &I::NextFilename),
      BinaryRule(ids::kSegmentUID, "SegmentUID", &I::SegmentUID, &I::HasSegmentUID).Quietly(),
  };
  return ReadContainer(Owner.SegmentInfo, rules);
}

bool TMatroskaReader::ReadSeek(TMatroskaReader& Owner) {
  using S = TMatroskaSeekEntry;
  static const TElementRule<S> rules[] = {
      UintRule(ids::kSeekID, "SeekID", &S::SeekID),
      UintRule(ids::kSeekPosition, "SeekPosition", &S::SeekPosition),
  };
  return ReadRecord(Owner.SeekEntries, rules);
}

int64_t SegmentLengthNs(double Duration, uint64_t TimecodeScale) {
  const double product = Duration * static_cast<double>(TimecodeScale);
  if (!std::isfinite(product)) return 0;
  if (product >= 9223372036854775808.0) return std::numeric_limits<int64_t>::max();
  if (product < -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(RoundHalfEven(product));
}

}  // namespace ambrel
