// The read-ahead buffer under TFileReader: identical bytes and positions to plain reads,
// whatever the source's short reads and the seeks in between.
#include <gtest/gtest.h>

#include <random>

#include "EbmlBuilder.h"

using namespace ambrel;

using namespace ebml;

namespace {

// Reference model: reads and seeks straight on the bytes.
struct TModel {
  const std::string& Bytes;
  int64_t Position = 0;
  std::string Read(int32_t count) {
    if (Position >= static_cast<int64_t>(Bytes.size()) || count <= 0) return "";
    return Bytes.substr(static_cast<size_t>(Position), static_cast<size_t>(count));
  }
};

}  // namespace

TEST(ReadAhead, MatchesPlainReadsWithShortReadsAndSeeks) {
  std::mt19937 rng(1234);
  std::string bytes(300000, '\0');
  for (char& c : bytes) c = static_cast<char>(rng());
  for (int64_t chunk : {0, 1, 7, 4096}) {
    TFileReader reader(std::make_unique<ambrel::TMemorySource>(bytes, chunk));
    TModel model{bytes};
    std::string got;
    for (int step = 0; step < 3000; ++step) {
      const int op = static_cast<int>(rng() % 10);
      if (op < 6) {
        // Mostly small reads, now and then one larger than the buffer.
        const int32_t count = op == 0 ? static_cast<int32_t>(rng() % 150000) : static_cast<int32_t>(rng() % 40);
        got.assign(static_cast<size_t>(count), '\0');
        const int32_t n = reader.Read(got.data(), count);
        got.resize(static_cast<size_t>(n));
        const std::string want = model.Read(count);
        ASSERT_EQ(got, want) << "chunk " << chunk << " step " << step;
        model.Position += static_cast<int64_t>(want.size());
      } else {
        const int origin = static_cast<int>(rng() % 3);
        const int64_t offset = static_cast<int64_t>(rng() % 400000) - 200000;
        const int64_t base = origin == 0 ? 0 : origin == 1 ? model.Position : static_cast<int64_t>(bytes.size());
        const int64_t expected = base + offset < 0 ? -1 : base + offset;
        ASSERT_EQ(reader.Seek(offset, origin), expected);
        if (expected >= 0) model.Position = expected;
      }
      ASSERT_EQ(reader.GetPosition(), model.Position);
    }
  }
}

TEST(ReadAhead, ParseLogIdenticalWithOneByteReads) {
  std::string tracks;
  for (int i = 1; i <= 50; ++i)
    tracks += Master(kTrackEntry, {Uint(kTrackNumber, i), Str(kCodecID, "A_AAC"), Element(kCodecPrivate, std::string(i * 100, 'p'))});
  const std::string file = Header() + Segment(Master(kInfo, {Float8(kDuration, 12.5)}) + Element(kTracks, tracks) +
                                              Cluster() + Master(kTags, {}));
  TParse whole(file), bytewise(file, 1);
  EXPECT_TRUE(whole.Result);
  EXPECT_EQ(whole.Log(), bytewise.Log());
  EXPECT_EQ(whole.Reader.Tracks.size(), 50u);
  EXPECT_EQ(bytewise.Reader.Tracks.back().CodecPrivate.size(), 5000u);
}
