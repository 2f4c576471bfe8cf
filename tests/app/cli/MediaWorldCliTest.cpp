// The command line over scripted worlds: the whole analysis, the filter lists, and
// worlds that the loader refuses.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/app/cli/CliRun.h"

using namespace ambrel::testing;

namespace {

TEST(MediaWorldCli, TheWholeAnalysisRunsTheThreeSectionsInOrder) {
  const CliRun run = Cli("--media-world worlds/desktop.json sample.mkv");
  EXPECT_EQ(run.status, 0);
  const size_t file = run.out.find("Matroska file info : sample.mkv\r\n");
  const size_t check = run.out.find("DirectShow RenderFile check : \r\n");
  const size_t render = run.out.find("DirectShow detailed rendering : \r\n");
  ASSERT_NE(file, std::string::npos);
  ASSERT_NE(check, std::string::npos);
  ASSERT_NE(render, std::string::npos);
  EXPECT_LT(file, check);
  EXPECT_LT(check, render);
  // Proposed filters are looked up in the world: its Matroska splitter is no decoder,
  // but the Vorbis track's proposal is asked and answered.
  EXPECT_NE(run.out.find("   - Installed : yes, in C:\\Filters\\MatroskaSplitter.ax (1.0.2.4)\r\n"), std::string::npos);
  EXPECT_NE(run.out.find("       - Installed : no\r\n"), std::string::npos);
  EXPECT_NE(run.out.find("> MyRenderFile finished : Some of the streams in this movie are in an unsupported format. "
                         "(0x00040242)\r\n\r\n"),
            std::string::npos);
  EXPECT_EQ(Cli("--media-world worlds/desktop.json --no-render sample.mkv").out.find("DirectShow"), std::string::npos);
}

TEST(MediaWorldCli, AMissingFileStillGetsTheFrameworkSections) {
  const CliRun run = Cli("--media-world worlds/desktop.json");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out.find("Matroska file info : C:\\Videos\\movie <1>.mkv\r\nCan't open file C:\\Videos\\movie <1>.mkv\r\n"),
            0u);
  EXPECT_NE(run.out.find("> Completed path : C:\\Videos\\movie <1>.mkv(Output) -> Tolmer's Matroska Splitter(Video) -> "
                         "Video Renderer\r\n"),
            std::string::npos);
  const std::string html = Cli("--media-world worlds/desktop.json --html").out;
  EXPECT_EQ(html.find("movie <1>"), std::string::npos);
  EXPECT_NE(html.find("H.264 &amp; AVC &lt;Decoder&gt;"), std::string::npos);
}

TEST(MediaWorldCli, FilterListsAloneAsTextOrPage) {
  const CliRun text = Cli("--media-world worlds/desktop.json --filters");
  EXPECT_EQ(text.status, 0);
  EXPECT_EQ(text.out.find("DirectShow filters :\r\nFilter name : AAC Decoder\r\n   - Filename : C:\\Codecs\\aac.ax\r\n"), 0u);
  EXPECT_NE(text.out.find("Audio renderer :\r\nFilter name : DirectSound: Speakers\r\n"), std::string::npos);
  const CliRun page = Cli("--media-world worlds/desktop.json --filters --html");
  EXPECT_EQ(page.out.find("\xEF\xBB\xBF<!DOCTYPE html>\r\n<html>"), 0u);
  EXPECT_NE(page.out.find("<h2>Audio renderer :</h2>"), std::string::npos);
}

TEST(MediaWorldCli, ARefusedWorldIsAUsageError) {
  const CliRun refused = Cli("--media-world worlds/refused.json sample.mkv");
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("filters[1] (id \"dec\"): key \"merit\""), std::string::npos);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(Cli("--media-world no-such-world.json sample.mkv").status, 2);
  EXPECT_EQ(Cli("--media-world").status, 2);
  EXPECT_EQ(Cli("--filters sample.mkv").status, 2);
}

TEST(MediaWorldCli, AWorldThatIsNotARegularFileIsRefusedUnread) {
  const TTempDir dir;
  const std::string fifo = dir / "world.fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& world : {fifo, std::string("/dev/zero"), kData + "/worlds"}) {
    const CliRun run = Cli("--media-world " + Quote(world) + " sample.mkv");
    EXPECT_EQ(run.status, 2) << world;
    EXPECT_NE(run.err.find(world + ": not a regular file"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "") << world;
  }
}

TEST(MediaWorldCli, EachFileReadsTheSameInAnyBatchAndAtAnyJobs) {
  const std::string files[] = {"sample.mkv", "audio.mka", "subs.mks"};
  std::string alone;
  for (const std::string& file : files) alone += Cli("--media-world worlds/desktop.json " + file).out;
  const std::string list = files[0] + " " + files[1] + " " + files[2];
  EXPECT_EQ(Cli("--media-world worlds/desktop.json " + list).out, alone);
  EXPECT_EQ(Cli("--media-world worlds/desktop.json --jobs 2 " + list).out, alone);
}

}  // namespace

namespace {

// Whole reports over the committed worlds, compared with outputs checked by hand
// (tests/data/worlds/expected, made by tests/data/worlds/update_expected.sh).
class WorldReport : public ::testing::TestWithParam<std::string> {};

TEST_P(WorldReport, MatchesTheCheckedExpectations) {
  const std::string world = "worlds/" + GetParam() + ".json";
  const std::filesystem::path expected = std::filesystem::path(kData) / "worlds" / "expected";
  EXPECT_EQ(Cli("--media-world " + world).out, ReadFile(expected / (GetParam() + ".txt")));
  EXPECT_EQ(Cli("--media-world " + world + " --html").out, ReadFile(expected / (GetParam() + ".html")));
  EXPECT_EQ(Cli("--media-world " + world + " --filters").out, ReadFile(expected / (GetParam() + ".filters.txt")));
}

INSTANTIATE_TEST_SUITE_P(Worlds, WorldReport, ::testing::Values("desktop", "backtrack", "limits", "earlyfail"));

}  // namespace
