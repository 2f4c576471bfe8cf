// A source that does not know its size (a pipe, a download) cannot vouch for the sizes
// that elements claim: values are read in bounded chunks, as bytes arrive, so a few bytes
// claiming gigabytes cost no more than what was read.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "EbmlBuilder.h"
#include "MemoryBudget.h"
#include "matroska/MatroskaParse.h"

using namespace ebml;

namespace {

// Bytes in memory served as from a stream of unknown length; remembers the largest read.
class TUnsizedSource : public ambrel::TByteSource {
 public:
  explicit TUnsizedSource(std::string Bytes, int64_t* LargestRead) : FBytes(std::move(Bytes)), FLargest(LargestRead) {}
  int64_t ReadAt(int64_t Offset, void* Buffer, int64_t Count) override {
    *FLargest = std::max(*FLargest, Count);
    if (Offset < 0 || Count < 0) return -1;
    if (Offset >= static_cast<int64_t>(FBytes.size())) return 0;
    const int64_t n = std::min<int64_t>(Count, static_cast<int64_t>(FBytes.size()) - Offset);
    std::memcpy(Buffer, FBytes.data() + Offset, static_cast<size_t>(n));
    return n;
  }
  int64_t Size() override { return -1; }

 private:
  std::string FBytes;
  int64_t* FLargest;
};

constexpr uint64_t kClaimed = 0x7FFFFFF0;  // just under 2 GiB

// A file cut after a few bytes of an element that claims kClaimed bytes.
std::string Claiming(uint32_t parent, uint32_t id) {
  const std::string unknownSize = "\x01\xFF\xFF\xFF\xFF\xFF\xFF\xFF";
  return Header() + Id(kSegment) + unknownSize + Id(parent) + unknownSize + Id(id) + Size(kClaimed, 8) + "only a few bytes";
}

struct TUnsizedParse {
  explicit TUnsizedParse(const std::string& bytes)
      : File(std::make_unique<TUnsizedSource>(bytes, &LargestRead)), Reader(File, Log) {
    try {
      Reader.Parse();
    } catch (const EMatroskaError& e) {
      Error = e.what();
    }
  }
  int64_t LargestRead = 0;
  TTxtWriter Log;
  TFileReader File;
  TMatroskaReader Reader;
  std::string Error;
};

}  // namespace

TEST(UnsizedSource, ClaimedSizesNeverBecomeAllocations) {
  const std::string title = Claiming(kInfo, kTitle);
  TUnsizedParse t(title);
  EXPECT_EQ(t.Error, "ReadValueString Title : read error at position " + std::to_string(title.size() - 26));
  EXPECT_LE(t.LargestRead, 1 << 20);

  // A binary value inside a track entry, cut the same way.
  const std::string unknownSize = "\x01\xFF\xFF\xFF\xFF\xFF\xFF\xFF";
  const std::string binary = Header() + Id(kSegment) + unknownSize + Id(kTracks) + unknownSize + Id(kTrackEntry) +
                             unknownSize + Id(kCodecPrivate) + Size(kClaimed, 8) + "abc";
  TUnsizedParse b(binary);
  EXPECT_EQ(b.Error, "ReadValueBinary CodecPrivate : read error at position " + std::to_string(binary.size() - 13) + ".");
  EXPECT_LE(b.LargestRead, 1 << 20);

  if (!kMemoryBudgetAvailable) GTEST_SKIP() << "address-space budget not enforceable under a sanitizer";
  for (const std::string* bytes : {&title, &binary}) {
    EXPECT_TRUE(RunsWithinMemory(256u << 20, [bytes] {
      TUnsizedParse p(*bytes);
      return !p.Error.empty();
    }));
  }
}

// Values that do arrive whole are read whole, across many chunks, from a source of
// unknown size as from one that knows it.
TEST(UnsizedSource, LargeValuesThatArriveAreReadWhole) {
  const std::string big(3 * (1 << 20) + 123, 'x');
  const std::string file = Header() + Segment(Master(kTracks, {Master(kTrackEntry, {Str(kCodecID, "A_PCM"), Element(kCodecPrivate, big)})}) + Cluster());
  TUnsizedParse p(file);
  EXPECT_EQ(p.Error, "");
  ASSERT_EQ(p.Reader.Tracks.size(), 1u);
  EXPECT_EQ(std::string(p.Reader.Tracks[0].CodecPrivate.begin(), p.Reader.Tracks[0].CodecPrivate.end()), big);
  TParse sized(file);
  EXPECT_EQ(p.Log.GetText(), sized.Log());
}

// The parser tells its position as it goes and stops at the next element once asked;
// what was read by then is kept and finished as at a normal end.
TEST(ParseControl, ProgressAndCancellation) {
  std::string atoms;
  for (int i = 0; i < 20000; ++i) atoms += Master(kChapterAtom, {Uint(kChapterTimeStart, uint64_t(i) * 1000000)});
  const std::string file = Header() + Segment(Master(kInfo, {Float8(kDuration, 5000)}) +
                                              Master(kChapters, {Element(kEditionEntry, atoms)}) + Cluster());
  std::vector<int64_t> positions;
  std::atomic<bool> cancel{false};
  TParseControl control;
  control.OnProgress = [&](int64_t position, int64_t size) {
    EXPECT_EQ(size, static_cast<int64_t>(file.size()));
    positions.push_back(position);
    if (position > 100000) cancel = true;
  };
  control.Cancel = &cancel;

  TTxtWriter log;
  const TMatroskaParse stopped = ParseMatroska(std::make_unique<TMemorySource>(file), log, &control);
  EXPECT_FALSE(stopped.ClusterFound);
  EXPECT_TRUE(stopped.Cancelled);
  EXPECT_EQ(stopped.Error, "");
  ASSERT_GE(positions.size(), 2u);
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
  EXPECT_GE(positions[1] - positions[0], TParseControl::kProgressStep);
  // The edition was open when the parse stopped, so it was not kept.
  EXPECT_TRUE(stopped.Reader->Editions.empty());
  EXPECT_EQ(stopped.Reader->SegmentInfo.Duration, 5000);  // finished: in milliseconds
  EXPECT_EQ(log.GetText().substr(log.GetText().size() - 21), "Analysis cancelled.\r\n");

  // Without a stop the same parse runs to the end.
  cancel = false;
  control.OnProgress = nullptr;
  TTxtWriter fullLog;
  const TMatroskaParse full = ParseMatroska(std::make_unique<TMemorySource>(file), fullLog, &control);
  EXPECT_TRUE(full.ClusterFound);
  EXPECT_FALSE(full.Cancelled);
  EXPECT_EQ(full.Reader->Editions.at(0).ChapterAtoms.size(), 20000u);
  EXPECT_EQ(fullLog.GetText().find("cancelled"), std::string::npos);
}
