// The top-level parse: header checks, the Segment's children up to the first Cluster,
// the segment information, the seek heads and the seek phase.
#include "matroska/MatroskaHelper.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "matroska/ElementRules.h"
#include "base/Rounding.h"
#include "report/LogWriter.h"

namespace ambrel {

namespace {

constexpr uint32_t kIdInfo = 0x1549A966;
constexpr uint32_t kIdSeekHead = 0x114D9B74;
constexpr uint32_t kIdTracks = 0x1654AE6B;
constexpr uint32_t kIdAttachments = 0x1941A469;
constexpr uint32_t kIdChapters = 0x1043A770;
constexpr uint32_t kIdTags = 0x1254C367;
constexpr uint32_t kIdCluster = 0x1F43B675;

// Seek heads that the seek phase follows from the ones already known, at most.
constexpr int kMaxChainedSeekHeads = 4;

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
  static const TElementRule<TMatroskaReader> rules[] = {
      ContainerRule<TMatroskaReader>(kIdInfo, "Segment Info :", &TMatroskaReader::ReadSegmentInfo),
      ContainerRule<TMatroskaReader>(kIdSeekHead, "MetaSeek Info :", &TMatroskaReader::ReadSeekHead),
      ContainerRule<TMatroskaReader>(kIdTracks, "Tracks :", &TMatroskaReader::ReadTracks),
      ContainerRule<TMatroskaReader>(kIdAttachments, "Attachments :", &TMatroskaReader::ReadAttachments),
      ContainerRule<TMatroskaReader>(kIdChapters, "Chapters :", &TMatroskaReader::ReadChapters),
      ContainerRule<TMatroskaReader>(kIdTags, "Tags :", &TMatroskaReader::ReadTags),
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
    return false;
  }
  if (static_cast<uint32_t>(reader.Header.DocTypeReadVersion) > 4) {
    reader.LogLine("Wrong DocTypeReadVersion (" + std::to_string(reader.Header.DocTypeReadVersion) + ")");
    return false;
  }

  TEbmlElement segment(&reader);
  if (segment.ReadHeader() == 0 || segment.ID != kIdSegment) {
    reader.LogLine("Segment not found");
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
    if (H.ID == kIdCluster) {
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
    if (H.ID == kIdInfo) infoFound = true;
    if (H.ID == kIdSeekHead) seekHeadPositions.push_back(H.Position - SegmentInfo.SegmentDataPosition);
    if (!EnterChild(H, *rule, *this)) break;
  }

  if (clusterFound) ReadSeekPhase(H, infoFound, std::move(seekHeadPositions));

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
  EbmlReader->LeaveUntil(kIdSegment);
}

bool TMatroskaReader::StillMissing(uint32_t ID, bool InfoFound) const {
  switch (ID) {
    case kIdInfo: return !InfoFound;
    case kIdTracks: return Tracks.empty();
    case kIdChapters: return Editions.empty();
    case kIdAttachments: return Attachments.empty();
    case kIdTags: return FTagsRead == 0;
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
    (this->*rule->Child)(*this);  // the result is not looked at: what was read stays
    reader.LeaveElement();
    return true;
  };
  try {
    // Entries appended by a seek head read here are visited too. A seek head is read once
    // per position, so heads that list themselves or each other end the chain.
    int chained = 0;
    for (size_t i = 0; i < SeekEntries.size() && chained < kMaxChainedSeekHeads; ++i) {
      if (SeekEntries[i].SeekID != kIdSeekHead) continue;
      const int64_t position = SeekEntries[i].SeekPosition;
      if (std::find(SeekHeadPositions.begin(), SeekHeadPositions.end(), position) != SeekHeadPositions.end())
        continue;
      if (SeekToSegmentPosition(position) && fetch(kIdSeekHead)) {
        SeekHeadPositions.push_back(position);
        ++chained;
      }
    }
    // In this order; each list is looked at when its turn comes.
    for (const uint32_t id : {kIdInfo, kIdTracks, kIdChapters, kIdAttachments, kIdTags}) {
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
      UintRule(0x2AD7B1, "TimecodeScale", &I::TimecodeScale),
      FloatRule(0x4489, "Duration", &I::Duration),
      StringRule(0x7BA9, "Title", &I::Title),
      StringRule(0x4D80, "MuxingApp", &I::MuxingApp),
      StringRule(0x5741, "WritingApp", &I::WritingApp),
      UintRule(0x4461, "DateUTC", &I::DateUTC, &I::HasDateUTC),
      StringRule(0x7384, "SegmentFilename", &I::SegmentFilename),
      StringRule(0x3C83AB, "PrevFilename", &I::PrevFilename),
      StringRule(0x3E83BB, "NextFilename", &I::NextFilename),
  };
  Owner.SegmentInfo.TimecodeScale = 1000000;
  return ReadContainer(Owner.SegmentInfo, rules);
}

bool TMatroskaReader::ReadSeekHead(TMatroskaReader& Owner) {
  static const TElementRule<TMatroskaReader> rules[] = {
      ContainerRule<TMatroskaReader>(0x4DBB, "MetaSeek seek Info :", &TMatroskaReader::ReadSeek),
  };
  return ReadContainer(Owner, rules);
}

bool TMatroskaReader::ReadSeek(TMatroskaReader& Owner) {
  using S = TMatroskaSeekEntry;
  static const TElementRule<S> rules[] = {
      UintRule(0x53AB, "SeekID", &S::SeekID),
      UintRule(0x53AC, "SeekPosition", &S::SeekPosition),
  };
  return ReadRecord(Owner.SeekEntries, rules);
}

int64_t SegmentLengthNs(double Duration, int64_t TimecodeScale) {
  const double product = Duration * static_cast<double>(TimecodeScale);
  if (!std::isfinite(product)) return 0;
  if (product >= 9223372036854775808.0) return std::numeric_limits<int64_t>::max();
  if (product < -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(RoundHalfEven(product));
}

}  // namespace ambrel
