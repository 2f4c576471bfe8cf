// Failures are said, not swallowed: write errors, files that give no report, bad path
// lists, unreadable folders, and the progress line that must not run into a report.
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
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

// Runs the command line with its standard error. Root reads every folder, so as root the
// run is made in a child that has become the user nobody; none when it cannot be.
std::optional<TCliResult> RunCliUnprivileged(const std::vector<std::string>& args) {
  if (geteuid() != 0) return RunCli(args);
  const passwd* nobody = getpwnam("nobody");
  int errPipe[2];
  if (!nobody || pipe(errPipe) != 0) return std::nullopt;
  const uid_t uid = nobody->pw_uid;
  const gid_t gid = nobody->pw_gid;
  const pid_t child = fork();
  if (child == 0) {
    close(errPipe[0]);
    if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0) _exit(255);
    const TCliResult run = RunCli(args);
    for (size_t at = 0; at < run.err.size();) {
      const ssize_t n = write(errPipe[1], run.err.data() + at, run.err.size() - at);
      if (n <= 0) break;
      at += static_cast<size_t>(n);
    }
    _exit(run.status);
  }
  close(errPipe[1]);
  TCliResult run;
  char buffer[4096];
  for (ssize_t n; child > 0 && (n = read(errPipe[0], buffer, sizeof buffer)) > 0;) run.err.append(buffer, n);
  close(errPipe[0]);
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 255) {
    return std::nullopt;
  }
  run.status = WEXITSTATUS(status);
  return run;
}

TEST(Failure, UnreadableFoldersAreSaidAndFail) {
  namespace fs = std::filesystem;
  const TTempDir dir("ambrel_unreadable");
  // The walk reaches the tree as any user; the folders named locked refuse everyone.
  fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
  const std::string top = dir / "locked", nested = dir / "open/locked";
  fs::create_directories(top);
  fs::create_directories(nested);
  for (const std::string& locked : {top, nested}) fs::permissions(locked, fs::perms::none);
  const std::optional<TCliResult> run = RunCliUnprivileged({"--no-render", "--recursive", dir.Path().string()});
  for (const std::string& locked : {top, nested}) fs::permissions(locked, fs::perms::owner_all);
  if (!run) GTEST_SKIP() << "running as root, and the user nobody cannot be taken on";
  EXPECT_EQ(run->status, 1);
  EXPECT_EQ(run->err, "ambrel-cli: cannot read the directory " + top + ": Permission denied\n"
                      "ambrel-cli: cannot read the directory " + nested + ": Permission denied\n"
                      "ambrel-cli: 2 of 2 files failed\n");
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
