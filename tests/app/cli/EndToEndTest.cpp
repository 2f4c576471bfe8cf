// The command line end to end on the real sample files: text report, HTML page and
// parsing log compared byte for byte with expected outputs that were checked by hand
// against mkvinfo's view of the same files (tests/data/expected, made by
// tests/data/update_expected.sh).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "CliInProcess.h"
#include "TempDir.h"
#include "app/cli/BatchSummary.h"
#include "base/TextUtil.h"
#include "tests/app/cli/CliRun.h"
#include "tests/matroska/EbmlBuilder.h"

using namespace ambrel;
using namespace ambrel::testing;

namespace fs = std::filesystem;

namespace {

class SampleFile : public ::testing::TestWithParam<std::string> {};

TEST_P(SampleFile, OutputsMatchTheCheckedExpectations) {
  const std::string name = GetParam();
  const fs::path expected = fs::path(kData) / "expected";
  // The file section alone: the rendering sections depend on the machine's framework, and
  // so does the codec database a run uses by default.
  const CliRun text = Cli("--codec-db directshow --no-render " + Quote(name));
  EXPECT_EQ(text.out, ReadFile(expected / (name + ".txt")));
  EXPECT_EQ(Cli("--codec-db directshow --no-render --html " + Quote(name)).out, ReadFile(expected / (name + ".html")));
  EXPECT_EQ(Cli("--codec-db directshow --no-render --log " + Quote(name)).out, ReadFile(expected / (name + ".log")));
  const bool truncatedInTracks = name == "truncated_tracks.mkv";
  EXPECT_EQ(text.status, truncatedInTracks ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(RealFiles, SampleFile,
                         ::testing::Values("sample.mkv", "audio.mka", "subs.mks", "late_meta.mkv",
                                           "ffmpeg_pipe.mkv", "unknown_size.mkv", "sample.webm",
                                           "vfw_acm_ffmpeg.mkv", "vfw_acm.mkv", "mkvmerge_default.mkv",
                                           "truncated_cluster.mkv", "truncated_tracks.mkv",
                                           "hostile_text.mkv", "tracks_moved.mkv", "info_moved.mkv",
                                           "second_seekhead.mkv", "display_width.mkv", "date_1999.mka"),
                         [](const auto& info) {
                           std::string n = info.param;
                           for (char& c : n) c = isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return n;
                         });

TEST(CommandLine, SaveWritesWhatTheOtherModesPrint) {
  const TTempDir temp("ambrel_save");
  const fs::path& dir = temp.Path();
  const CliRun saved = Cli("--no-render --save " + Quote(dir.string()) + " sample.mkv");
  EXPECT_EQ(saved.status, 0);
  EXPECT_EQ(saved.err, "");
  EXPECT_EQ(ReadFile(dir / "Report.html"), Cli("--no-render --html sample.mkv").out);
  EXPECT_EQ(ReadFile(dir / "Report.txt"), "\xEF\xBB\xBF" + saved.out);
}

// Many files: a pair of reports per file, named after it, numbered when names collide.
TEST(CommandLine, SaveNamesTheReportsOfManyFilesAfterThem) {
  const TTempDir temp("ambrel_save");
  const fs::path& dir = temp.Path();
  const CliRun saved = Cli("--no-render --save " + Quote(dir.string()) + " sample.mkv sample.webm . audio.mka");
  EXPECT_EQ(saved.status, 1);  // the folder is refused, and its report says so
  EXPECT_EQ(ReadFile(dir / "sample.html"), Cli("--no-render --html sample.mkv").out);
  EXPECT_EQ(ReadFile(dir / "sample-2.txt"), "\xEF\xBB\xBF" + Cli("--no-render sample.webm").out);
  EXPECT_EQ(ReadFile(dir / "audio.txt"), "\xEF\xBB\xBF" + Cli("--no-render audio.mka").out);
  EXPECT_TRUE(fs::exists(dir / "Report.txt"));  // the folder's name is no file name
  EXPECT_FALSE(fs::exists(dir / "sample-3.txt"));
}

// A report that could not be saved is a failure, said on standard error; the report
// itself is still printed.
TEST(CommandLine, SaveIntoAFolderThatCannotBeWrittenFails) {
  const TTempDir temp("ambrel_save");
  const std::string missing = temp / "no-such-folder";
  const CliRun run = Cli("--no-render --save " + Quote(missing) + " sample.mkv");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, Cli("--no-render sample.mkv").out);
  EXPECT_EQ(run.err, "ambrel-cli: cannot write " + missing + "/Report.html: No such file or directory\n" +
                         "ambrel-cli: cannot write " + missing + "/Report.txt: No such file or directory\n");
  const std::string file = temp.Write("plain-file", "x");  // a file where a folder should be
  EXPECT_EQ(Cli("--no-render --save " + Quote(file) + " sample.mkv").status, 1);
}

TEST(CommandLine, ExitStatusTellsWhatHappened) {
  EXPECT_EQ(Cli("").status, 2);
  EXPECT_EQ(Cli("--bogus x").status, 2);
  EXPECT_EQ(Cli("a.mkv b.mkv").status, 1);  // two files analysed, both missing
  EXPECT_EQ(Cli("--help").status, 0);
  EXPECT_EQ(Cli("--version").status, 0);
  const CliRun missing = Cli("--log no-such-file.mkv");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "Matroska file info : no-such-file.mkv\r\nCan't open file no-such-file.mkv\r\n");
  const CliRun folder = Cli("--no-render .");
  EXPECT_EQ(folder.status, 1);
  EXPECT_EQ(folder.out, "Matroska file info : .\r\nCan't open file .\r\n");
  // The name inside the message is file text: escaped in the page, kept in the text.
  EXPECT_NE(Cli("--html 'a<b>&.mkv'").out.find("Can't open file a&lt;b&gt;&amp;.mkv<br />"), std::string::npos);
  EXPECT_NE(Cli("'a</b>.mkv'").out.find("Can't open file a</b>.mkv\r\n"), std::string::npos);
}

// One line per file, tab-separated for a pipe with the tally on standard error, and an exit
// status that says whether every file plays: 3 when all parse but some will not play, 1
// when one does not parse.
TEST(CommandLine, SummaryGivesTheAnswerFirst) {
  const CliRun unplayable = Cli("--summary --jobs 2 sample.mkv missing_decoder.mkv");
  EXPECT_EQ(unplayable.status, 3);
  EXPECT_EQ(unplayable.out.rfind("plays\tsample.mkv\ncannot\tmissing_decoder.mkv\ttrack 1 (V_MS/VFW/FOURCC): ", 0), 0u)
      << unplayable.out;
  EXPECT_EQ(unplayable.err, "2 files: 1 plays, 1 cannot play here\n");
  const CliRun damaged = Cli("--summary --no-render sample.mkv truncated_tracks.mkv");
  EXPECT_EQ(damaged.status, 1);
  EXPECT_EQ(damaged.out, "parses\tsample.mkv\ndamaged\ttruncated_tracks.mkv\tThe file ends inside TrackEntry at position 4449\n");
  EXPECT_EQ(damaged.err, "2 files: 1 parses, 1 damaged\n");
  EXPECT_EQ(Cli("--summary --json sample.mkv").status, 2);
}

// At a terminal the lines wait for the last file, to be written in columns; the tally and
// the packages to install follow them.
TEST(CommandLine, SummaryAtATerminalIsInColumns) {
  std::ostringstream out, notes;
  TBatchSummary summary(out, notes, true);
  summary.Add("a.mkv", {"plays", {}, {}, ""});
  summary.Add("Films/\xC3\xA9t\xC3\xA9.mkv", {"needs", {"pkg-b", "pkg-a"}, {{2, "A_AC3", "pkg-a", ""}, {3, "A_X", "pkg-b", ""}}, ""});
  summary.Add("bad\n.mkv", {"stopped", {}, {}, "the media framework stopped: SIGSEGV"});
  summary.Add("c.mka", {"needs", {"pkg-a"}, {{1, "", "pkg-a", ""}}, ""});
  summary.Finish();
  EXPECT_FALSE(summary.AllPlay());
  EXPECT_EQ(out.str(),
            "plays    a.mkv\n"
            "needs    Films/\xC3\xA9t\xC3\xA9.mkv  track 2 (A_AC3): pkg-a; track 3 (A_X): pkg-b\n"
            "stopped  bad\\x0A.mkv    the media framework stopped: SIGSEGV\n"
            "needs    c.mka          track 1: pkg-a\n"
            "4 files: 1 plays, 2 need packages, 1 stopped\n"
            "to play them all: sudo apt install pkg-a pkg-b\n");
  EXPECT_EQ(notes.str(), "");
}

TEST(CommandLine, SystemInfoPrintsThisMachinesBlocksAlone) {
  const CliRun text = Cli("--system-info");
  EXPECT_EQ(text.status, 0);
  EXPECT_EQ(text.out.rfind("General system info :\r\n", 0), 0u) << text.out;
  EXPECT_NE(text.out.find("\r\nVideo info :\r\n"), std::string::npos);
  EXPECT_NE(text.out.find("\r\nSound info :\r\n"), std::string::npos);
  const CliRun html = Cli("--system-info --html");
  EXPECT_EQ(html.status, 0);
  EXPECT_EQ(html.out.rfind("\xEF\xBB\xBF<!DOCTYPE html>\r\n<html>\r\n", 0), 0u);
  EXPECT_NE(html.out.find("</head><body>\r\n<h2>General system info :</h2>"), std::string::npos);
  EXPECT_EQ(Cli("--system-info --log").status, 2);
  EXPECT_EQ(Cli("--system-info --html sample.mkv").status, 2);
}

TEST(CommandLine, PathsThatAreNotUtf8StillGiveWellFormedReports) {
  const TTempDir temp("ambrel_path");
  const fs::path& dir = temp.Path();
  const fs::path odd = dir / "bad\xFF\xC3<name>.mkv";
  fs::copy_file(fs::path(kData) / "sample.mkv", odd);
  for (const char* mode : {"", "--html ", "--log "}) {
    const CliRun run = Cli(mode + Quote(odd.string()));
    EXPECT_EQ(run.status, 0) << mode;
    EXPECT_TRUE(ambrel::IsValidUtf8(run.out)) << mode;
    EXPECT_NE(run.out.find("bad\xEF\xBF\xBD\xEF\xBF\xBD"), std::string::npos) << mode;
  }
  EXPECT_NE(Cli("--html " + Quote(odd.string())).out.find("&lt;name&gt;.mkv</h2>"), std::string::npos);
}

TEST(CommandLine, FileTextNeverBecomesActiveMarkup) {
  const std::string html = Cli("--html hostile_text.mkv").out;
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("<img"), std::string::npos);
  EXPECT_NE(html.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
  const std::string text = Cli("hostile_text.mkv").out;
  EXPECT_NE(text.find("Title : <script>alert(1)</script>\r\n"), std::string::npos);
  EXPECT_NE(text.find(" - Name : a</b>b\r\n"), std::string::npos);
  EXPECT_NE(Cli("--log hostile_text.mkv").out.find("Name : a</b>b\r\n"), std::string::npos);
}

}  // namespace

TEST(CommandLine, OutputsLongerThanManyChunksReachThePipeWhole) {
  // The program streams long outputs and leaves without tearing down: every byte must
  // still be written, the last partial chunk included, as the same run in process gives.
  std::string atoms;
  for (int i = 0; i < 3000; ++i)
    atoms += ebml::Master(ebml::kChapterAtom, {ebml::Uint(ebml::kChapterUID, 1000 + i),
                                               ebml::Uint(ebml::kChapterTimeStart, 1000000000ull * i),
                                               ebml::Master(ebml::kChapterDisplay, {ebml::Str(ebml::kChapString, "Chapter " + std::to_string(i))})});
  const std::string file = ebml::Header() + ebml::Segment(ebml::Master(ebml::kInfo, {ebml::Uint(ebml::kTimecodeScale, 1000000), ebml::Float8(ebml::kDuration, 3000000.0)}) + ebml::Element(ebml::kChapters, ebml::Element(ebml::kEditionEntry, atoms)) + ebml::Cluster());
  const TTempDir temp("ambrel_long");
  const std::string path = temp / "long.mkv";
  std::ofstream(path, std::ios::binary) << file;
  for (const char* mode : {"--no-render", "--log", "--html"}) {
    const CliRun run = Cli(std::string(mode) + (std::string(mode) == "--no-render" ? "" : " --no-render") + " " + Quote(path));
    const TCliResult inProcess = RunCli({mode, "--no-render", path});
    EXPECT_GT(run.out.size(), 2u * 65536u) << mode;
    EXPECT_EQ(run.out, inProcess.out) << mode;
    EXPECT_EQ(run.status, inProcess.status) << mode;
  }
}
