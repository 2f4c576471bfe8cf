// Damaged and hostile input: sizes past the end of the file, overflowing sizes, and
// files that are not regular files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "EbmlBuilder.h"
#include "TempDir.h"
#include "base/TextUtil.h"

using namespace ambrel;

using namespace ebml;

namespace {

// A file whose Tracks hold one entry with the given child, written byte by byte.
std::string TrackWith(const std::string& child) {
  return Header() + Segment(Id(kTracks) + Size(10 + child.size(), 8) + Id(kTrackEntry) + Size(child.size(), 8) + child +
                            Cluster());
}

// A child whose size field (8 bytes) claims `size` bytes while only a few follow.
std::string Claiming(uint32_t id, uint64_t size) { return Id(id) + Size(size, 8) + "abcd"; }

std::string OpenError(const std::string& path) {
  try {
    TFileReader reader(path);
  } catch (const EMatroskaError& e) {
    return e.what();
  }
  return "(opened)";
}

}  // namespace

TEST(HostileSizes, ValuesPastTheEndFailAtOnce) {
  EXPECT_NE(TParse(TrackWith(Claiming(kTrackNumber, 0x80000005))).Error.find("ReadValueUINT TrackNumber : read error at position "),
            std::string::npos);
  EXPECT_NE(TParse(TrackWith(Claiming(kTrackNumber, 0x100000003))).Error.find("ReadValueUINT TrackNumber : read error"),
            std::string::npos);
  EXPECT_NE(TParse(TrackWith(Claiming(kCodecID, uint64_t{1} << 40))).Error.find("ReadValueString CodecID : read error"),
            std::string::npos);
  EXPECT_NE(TParse(TrackWith(Claiming(kCodecID, 0xFFFFFFFF))).Error.find("ReadValueString CodecID : read error"),
            std::string::npos);
  const std::string binary = TParse(TrackWith(Claiming(kCodecPrivate, 0x7FFFFFFF))).Error;
  EXPECT_NE(binary.find("ReadValueBinary CodecPrivate : read error at position "), std::string::npos);
  EXPECT_EQ(binary.back(), '.');
  // For a float the wrong length is reported before the missing bytes.
  EXPECT_NE(TParse(TrackWith(Claiming(kTrackTimecodeScale, uint64_t{1} << 50))).Error.find("Float wrong length (1125899906842624)"),
            std::string::npos);
  const std::string lastFloat = TrackWith(Claiming(kTrackTimecodeScale, 8));  // the file ends 4 bytes into it
  EXPECT_NE(TParse(lastFloat.substr(0, lastFloat.size() - Cluster().size())).Error.find("ReadValueFloat TrackTimecodeScale : read error"),
            std::string::npos);
}

TEST(HostileSizes, HugeContainersAndSkipsEndTheParse) {
  // A Void claiming 2^56 - 1 bytes inside the Segment: skipped past the end, no Cluster.
  TParse skip(Header() + Segment(Id(kVoid) + "\x01\xFF\xFF\xFF\xFF\xFF\xFF\xFF" + Cluster()));
  EXPECT_FALSE(skip.Result);
  EXPECT_TRUE(skip.Error.empty());
  // A nine-byte size (no marker) whose element end wraps past 2^63.
  TParse wrap(Header() + Segment(Id(kTracks) + std::string("\x00\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 9) +
                                  Master(kTrackEntry, {Uint(kTrackNumber, 1)}) + Cluster()));
  EXPECT_TRUE(wrap.Error.empty());
  // A Tracks element claiming far more than the file: the entries inside are read, then the
  // file ends.
  TParse big(Header() + Segment(Id(kTracks) + Size(uint64_t{1} << 50, 8) + Master(kTrackEntry, {Uint(kTrackNumber, 3)})));
  EXPECT_FALSE(big.Result);
  ASSERT_EQ(big.Reader.Tracks.size(), 1u);
}

TEST(HostileSizes, EveryTruncationOfAFileEndsCleanly) {
  const std::string file =
      Header() + Segment(Master(kInfo, {Uint(kTimecodeScale, 1000000), Float8(kDuration, 1000), Str(kTitle, "T")}) +
                         Master(kTracks, {Master(kTrackEntry, {Uint(kTrackNumber, 1), Str(kCodecID, "V_TEST"),
                                                               Master(kVideo, {Uint(kPixelWidth, 2)})})}) +
                         Master(kChapters, {Master(kEditionEntry, {Master(kChapterAtom, {Uint(kChapterTimeStart, 5)})})}) +
                         Cluster());
  // Each cut ends the parse with false or with one of the readers' errors; only a file
  // that holds the Cluster's header reaches it.
  const size_t clusterHeaderEnd = file.size() - Cluster().size() + 5;
  for (size_t n = 0; n <= file.size(); ++n) {
    TParse p(file.substr(0, n));
    EXPECT_EQ(p.Result, n >= clusterHeaderEnd) << n;
  }
}

TEST(FileReaderOpen, OnlyRegularFilesOpen) {
  const TTempDir temp("ambrel_open");
  const std::filesystem::path& dir = temp.Path();
  const std::string fifo = (dir / "fifo").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(OpenError(dir.string()), "Can't open file " + dir.string());
  EXPECT_EQ(OpenError(fifo), "Can't open file " + fifo);  // and it does not block
  EXPECT_EQ(OpenError("/dev/null"), "Can't open file /dev/null");
  // Messages are plain, well-formed text: they also reach standard error and status lines.
  const std::string bad = (dir / "no\xFFsuch<b>.mkv").string();
  EXPECT_EQ(OpenError(bad), "Can't open file " + ambrel::ValidUtf8(bad));
  EXPECT_TRUE(ambrel::IsValidUtf8(OpenError(bad)));
}

TEST(FileReaderOpen, SparseFileOver4GiBReachesMetadataPastIt) {
  const TTempDir temp("ambrel_big");
  const std::string path = temp / "big.mkv";
  const int64_t tagsAt = (int64_t{5} << 30) + 17;  // past 4 GiB
  const std::string head = Header();
  const std::string tags = Master(kTags, {Master(kTag, {Master(kSimpleTag, {Str(kTagName, "FAR")})})});
  const int64_t dataPos = head.size() + 12;
  const std::string seekHead = Master(kSeekHead, {Master(kSeek, {Uint(kSeekID, kTags), Uint(kSeekPosition, tagsAt - dataPos, 8)})});
  const std::string front = head + Id(kSegment) + Size(tagsAt + tags.size() - dataPos, 8) + seekHead + Cluster();
  {
    const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, front.data(), front.size(), 0), static_cast<ssize_t>(front.size()));
    ASSERT_EQ(::pwrite(fd, tags.data(), tags.size(), tagsAt), static_cast<ssize_t>(tags.size()));
    ::close(fd);
  }
  TTxtWriter log;
  TFileReader file(path);
  EXPECT_EQ(file.GetSize(), tagsAt + static_cast<int64_t>(tags.size()));
  TMatroskaReader reader(file, log);
  EXPECT_TRUE(reader.Parse());
  EXPECT_TRUE(reader.SegmentInfo.Complete);
  ASSERT_EQ(reader.Tags.size(), 1u);
  EXPECT_EQ(reader.Tags[0].SimpleTags.at(0).TagName, "FAR");
  EXPECT_NE(log.GetText().find("SeekPosition : " + std::to_string(tagsAt - dataPos)), std::string::npos);
  EXPECT_LE(file.ReadSystemCalls(), 6u);
  std::remove(path.c_str());
}
