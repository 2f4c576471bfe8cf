// Real files made by mkvmerge and ffmpeg (tests/data/README.md says what each holds).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "EbmlBuilder.h"
#include "TempDir.h"

using namespace ambrel;

namespace {

std::string DataPath(const std::string& name) { return std::string(AMBREL_TEST_DATA_DIR) + "/" + name; }

struct TSample {
  explicit TSample(const std::string& name) : File(DataPath(name)), Reader(File, Log) {
    try {
      Result = Reader.Parse();
    } catch (const EMatroskaError& e) {
      Error = e.what();
    }
  }
  TTxtWriter Log;
  TFileReader File;
  TMatroskaReader Reader;
  bool Result = false;
  std::string Error;
};

}  // namespace

// The parser's own log equals the checked parsing log of the command line, less its
// first line (the title, written by the report section).
TEST(SampleFiles, GoldenLogs) {
  for (const char* name : {"sample.mkv", "vfw_acm.mkv"}) {
    TSample s(name);
    EXPECT_TRUE(s.Result) << name;
    const std::string expected = ReadFile(DataPath(std::string("expected/") + name + ".log"));
    EXPECT_EQ(s.Log.GetText(), expected.substr(expected.find("\r\n") + 2)) << name;
  }
}

// Chapter end times filled from the next start and from the Duration; the attachment's place.
TEST(SampleFiles, DemoFile) {
  TSample s("sample.mkv");
  EXPECT_EQ(s.Reader.SegmentInfo.Duration, 1033);
  EXPECT_EQ(s.Reader.Attachments.at(0).FileDataPosition, 9118);
  const auto& atoms = s.Reader.Editions.at(0).ChapterAtoms;
  ASSERT_EQ(atoms.size(), 3u);
  EXPECT_EQ(atoms[0].ChapterTimeEnd, 400000000);
  EXPECT_EQ(atoms[0].ChapterAtoms.at(0).ChapterTimeEnd, 400000000);
  EXPECT_EQ(atoms[1].ChapterTimeEnd, 700000000);
  EXPECT_EQ(atoms[2].ChapterTimeEnd, 1033000000);
  EXPECT_EQ(s.Reader.Tags.size(), 2u);
}

TEST(SampleFiles, MetadataAfterTheClusters) {
  TSample s("late_meta.mkv");
  EXPECT_TRUE(s.Result);
  EXPECT_EQ(s.Reader.Editions.at(0).ChapterAtoms.size(), 46u);
  EXPECT_EQ(s.Reader.Attachments.at(0).FileDataSize, 4200);
  EXPECT_FALSE(s.Reader.Tags.empty());
  const std::string log = s.Log.GetText();
  EXPECT_LT(log.find("\r\nChapters :"), log.find("\r\nAttachments :"));
  EXPECT_LT(log.find("\r\nAttachments :"), log.find("\r\nTags :"));
}

// Files edited in place: what an editor moved behind the clusters or listed only in a
// second seek head is still found, and dates and display sizes read as the muxer meant.
TEST(SampleFiles, EditedInPlace) {
  TSample tracks("tracks_moved.mkv");
  EXPECT_TRUE(tracks.Result);
  ASSERT_EQ(tracks.Reader.Tracks.size(), 2u);
  EXPECT_EQ(tracks.Reader.Tracks[1].Name.size(), 1649u);
  TSample info("info_moved.mkv");
  EXPECT_EQ(info.Reader.SegmentInfo.Duration, 1033);
  EXPECT_EQ(info.Reader.SegmentInfo.Title.size(), 4399u);
  EXPECT_EQ(info.Reader.SegmentInfo.WritingApp.rfind("mkvmerge", 0), 0u);
  TSample second("second_seekhead.mkv");
  EXPECT_EQ(second.Reader.Tags.size(), 1u);  // listed in the second seek head only
  EXPECT_EQ(second.Reader.Attachments.size(), 1u);
  EXPECT_EQ(second.Reader.Editions.size(), 1u);
  const std::string log = second.Log.GetText();
  EXPECT_NE(log.find("Skipping element with ID EC at position 4389\r\nMetaSeek Info :\r\n"), std::string::npos);
  TSample display("display_width.mkv");
  EXPECT_EQ(display.Reader.Tracks.at(0).DisplayWidth, 96u);
  EXPECT_EQ(display.Reader.Tracks.at(0).DisplayHeight, 48u);
  TSample date("date_1999.mka");
  EXPECT_TRUE(date.Reader.SegmentInfo.HasDateUTC);
  EXPECT_EQ(date.Reader.SegmentInfo.DateUTC, -31622401750000000);
}

// Wrapped codecs, other read versions and document types, and files cut short.
TEST(SampleFiles, KeyFacts) {
  TSample vfw("vfw_acm.mkv");
  EXPECT_EQ(vfw.Reader.Tracks.at(1).Fourcc, "MSVC");
  EXPECT_EQ(vfw.Reader.Tracks.at(2).FormatTag, 2u);
  TSample pipe("ffmpeg_pipe.mkv");  // read version 2, unknown-size Segment, no Duration
  EXPECT_TRUE(pipe.Result);
  EXPECT_FALSE(pipe.Reader.SegmentInfo.Complete);
  EXPECT_EQ(pipe.Reader.SegmentInfo.Duration, 0);
  TSample webm("sample.webm");
  EXPECT_TRUE(webm.Result);
  EXPECT_EQ(webm.Reader.Tracks.at(1).CodecID, "A_OPUS");
  TSample cluster("truncated_cluster.mkv");
  EXPECT_TRUE(cluster.Result);
  EXPECT_FALSE(cluster.Reader.SegmentInfo.Complete);
  EXPECT_TRUE(cluster.Reader.Tags.empty());  // listed in the seek head, beyond the end
  TSample tracks("truncated_tracks.mkv");
  EXPECT_FALSE(tracks.Result);
  EXPECT_TRUE(tracks.Error.empty());
  EXPECT_EQ(tracks.Reader.Tracks.size(), 1u);
}
