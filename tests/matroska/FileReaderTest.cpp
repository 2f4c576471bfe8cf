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

// The byte and in-buffer reads the element readers use: the same bytes as plain reads,
// and nothing moves when the buffer does not hold what was asked for.
TEST(ReadAhead, ByteReadsAndBufferedViewsMatchPlainReads) {
  std::mt19937 rng(99);
  std::string bytes(200000, '\0');
  for (char& c : bytes) c = static_cast<char>(rng());
  for (int64_t chunk : {0, 1, 5000}) {
    TFileReader reader(std::make_unique<ambrel::TMemorySource>(bytes, chunk));
    TModel model{bytes};
    for (int step = 0; step < 4000; ++step) {
      const int op = static_cast<int>(rng() % 8);
      if (op < 4) {
        const int32_t b = reader.ReadByte();
        const std::string want = model.Read(1);
        ASSERT_EQ(b, want.empty() ? -1 : static_cast<uint8_t>(want[0])) << "chunk " << chunk << " step " << step;
        model.Position += static_cast<int64_t>(want.size());
      } else if (op < 7) {
        const int64_t count = static_cast<int64_t>(rng() % 70000);
        const int64_t before = reader.GetPosition();
        if (const uint8_t* view = reader.TakeBuffered(count)) {
          const std::string want = model.Read(static_cast<int32_t>(count));
          ASSERT_EQ(static_cast<int64_t>(want.size()), count);
          ASSERT_EQ(std::string(reinterpret_cast<const char*>(view), static_cast<size_t>(count)), want);
          model.Position += count;
        } else {
          ASSERT_EQ(reader.GetPosition(), before);
          // What the buffer did not hold is read the plain way.
          std::string got(static_cast<size_t>(count), '\0');
          got.resize(static_cast<size_t>(std::max(0, reader.Read(got.data(), static_cast<int32_t>(count)))));
          const std::string want = model.Read(static_cast<int32_t>(count));
          ASSERT_EQ(got, want);
          model.Position += static_cast<int64_t>(want.size());
        }
      } else {
        const int64_t target = static_cast<int64_t>(rng() % (bytes.size() + 10));
        reader.Seek(target, 0);
        model.Position = target;
      }
      ASSERT_EQ(reader.GetPosition(), model.Position);
    }
    EXPECT_EQ(reader.TakeBuffered(-1), nullptr);
  }
}

// A text value that straddles the end of the read-ahead buffer is read, trimmed and
// logged as one that lies inside it.
TEST(ReadAhead, ValuesAcrossTheBufferEdgeAreReadWhole) {
  const std::string name = "  across the edge \t";
  const std::string info = Master(kInfo, {Str(kTitle, name)});
  const std::string head = Header();
  // A Void element places the Title's data so that the buffer's end falls 5 bytes into it.
  // Bytes besides the Void's data before the Title's: the Segment's ID and 8-byte size,
  // the Void's ID and 8-byte size, the Info's ID and size, the Title's ID and size.
  const size_t framing = head.size() + 12 + 9 + 5 + 3;
  const size_t voidSize = static_cast<size_t>(TFileReader::kReadAheadSize) - 5 - framing;
  const std::string file = head + Segment(Id(kVoid) + Size(voidSize, 8) + std::string(voidSize, 'v') + info + Cluster());
  for (int64_t chunk : {0, 3}) {
    TParse p(file, chunk);
    EXPECT_TRUE(p.Result);
    EXPECT_EQ(p.Reader.SegmentInfo.Title, "across the edge");
    EXPECT_NE(p.Log().find("    Title : across the edge\r\n"), std::string::npos);
  }
}
