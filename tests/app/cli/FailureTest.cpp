// Failures are said, not swallowed: write errors, files that give no report, bad path
// lists, unreadable folders, and the progress line that must not run into a report.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "CliInProcess.h"
#include "TempDir.h"
#include "base/TextUtil.h"
#include "tests/app/cli/CliRun.h"

using namespace ambrel::testing;

namespace {

TEST(Failure, WriteErrorsAreSaidAndFail) {
  struct TCase {
    std::string Args;
    std::string Reason;
  };
  const TCase cases[] = {
      {"--no-render sample.mkv >/dev/full", "No space left on device"},
      {"--no-render --json sample.mkv >/dev/full", "No space left on device"},
      {"--no-render --jobs 2 sample.mkv audio.mka >/dev/full", "No space left on device"},
      {"--help >/dev/full", "No space left on device"},
      {"--no-render sample.mkv >&-", "Bad file descriptor"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Args);
    const CliRun run = Cli(c.Args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "ambrel-cli: cannot write the output: " + c.Reason + "\n");
  }
}

TEST(Failure, EveryFailingFileSaysWhyAndTheBatchCountsThem) {
  const TTempDir dir("ambrel_failure");
  const std::string sample = ReadFile(kData + "/sample.mkv");
  const std::string text = dir.Write("notes.mkv", "hello\n");
  const std::string empty = dir.Write("empty.mkv", "");
  const std::string damaged = dir.Write("damaged.mkv", sample.substr(0, 100));
  const std::string missing = dir / "missing.mkv";
  const TCliResult run = RunCli({"--no-render", kData + "/sample.mkv", missing, text, empty, damaged});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "ambrel-cli: " + missing + ": No such file or directory\n"
                     "ambrel-cli: " + text + ": not a Matroska file (no EBML header)\n"
                     "ambrel-cli: " + empty + ": not a Matroska file (no EBML header)\n"
                     "ambrel-cli: " + damaged + ": ReadValueUINT SeekPosition : read error at position 97\n"
                     "ambrel-cli: 4 of 5 files failed\n");
  // The report keeps its own wording.
  EXPECT_NE(run.out.find("Can't open file " + missing), std::string::npos);
}

TEST(Failure, BadPathListsAreRefused) {
  const TCliResult nul = RunCli({"--no-render", "-"}, std::string("sample.mkv\0junk\n", 16));
  EXPECT_EQ(nul.status, 1);
  EXPECT_EQ(nul.out, "");
  EXPECT_EQ(nul.err, "ambrel-cli: line 1 of the path list holds a NUL byte\n");
  for (const std::string list : {"", "\n\r\n"}) {
    const TCliResult none = RunCli({"--no-render", "-"}, list);
    EXPECT_EQ(none.status, 2);
    EXPECT_TRUE(none.err.starts_with("ambrel-cli: no file given")) << none.err;
  }
}

TEST(Failure, UnreadableFoldersAreSaidAndFail) {
  if (geteuid() == 0) GTEST_SKIP() << "every folder is readable for root";
  const TTempDir dir("ambrel_unreadable");
  std::filesystem::create_directories(dir / "locked");
  std::filesystem::permissions(dir / "locked", std::filesystem::perms::none);
  const TCliResult run = RunCli({"--no-render", "--recursive", dir.Path().string()});
  std::filesystem::permissions(dir / "locked", std::filesystem::perms::owner_all);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "ambrel-cli: cannot read the directory " + (dir / "locked") + ": Permission denied\n");
}

TEST(Failure, TheProgressLineIsClearedBeforeAReportOnTheSameTerminal) {
  std::istringstream in;
  std::ostringstream out;
  const std::string sample = kData + "/sample.mkv";
  // The reports and the line share one terminal: every report starts on a cleared line.
  ambrel::RunCommandLine({"--no-render", sample, sample}, "", {in, out, out, true, true});
  const std::string shown = out.str();
  size_t reports = 0;
  for (size_t at = shown.find("Matroska file info"); at != std::string::npos;
       at = shown.find("Matroska file info", at + 1)) {
    ++reports;
    EXPECT_TRUE(at == 0 || shown.compare(at - 4, 4, "\r\033[K") == 0) << at;
  }
  EXPECT_EQ(reports, 2u);
}

}  // namespace
