// Failures are said, not swallowed: write errors, files that give no report, bad path
// lists, unreadable folders, and the progress line that must not run into a report.
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
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
      // Closed at start, with the media framework host started: nothing may take its place.
      {"audio.mka >&-", "Bad file descriptor"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Args);
    const CliRun run = Cli(c.Args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "ambrel-cli: cannot write the output: " + c.Reason + "\n");
  }
  // Standard error closed at start: the failure's line goes nowhere, not into the media
  // framework host's channel, and the next file is rendered as usual.
  const CliRun closedErr = Cli("--json missing.mkv audio.mka 2>&-", AMBREL_CLI_PATH, false);
  EXPECT_EQ(closedErr.status, 1);
  EXPECT_EQ(std::count(closedErr.out.begin(), closedErr.out.end(), '\n'), 2);
  EXPECT_EQ(closedErr.out.find("framework stopped"), std::string::npos) << closedErr.out;
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
  // A line longer than any path ends the list (an endless input is never held whole).
  const TCliResult endless = RunCli({"--no-render", "-"}, std::string(70000, 'a') + "\nsample.mkv\n");
  EXPECT_EQ(endless.status, 1);
  EXPECT_EQ(endless.out, "");
  EXPECT_EQ(endless.err, "ambrel-cli: line 1 of the path list is longer than 65536 bytes; the rest of the list is not read\n");
  // A list that cannot be read is not an empty one.
  const CliRun folder = Cli("--no-render - < /");
  EXPECT_EQ(folder.status, 1);
  EXPECT_EQ(folder.err, "ambrel-cli: cannot read the path list on standard input: Is a directory\n");
}

// A FIFO or a device given as a file is refused without waiting for a writer, alone or
// in a batch, with the system's reason.
TEST(Failure, FilesThatAreNotRegularAreRefusedWithoutWaiting) {
  const TTempDir dir("ambrel_fifo");
  const std::string fifo = dir / "p.mkv";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const CliRun alone = Cli("--no-render " + Quote(fifo));
  EXPECT_EQ(alone.status, 1);
  const std::string pipe = ": not a regular file (a pipe): save it to a file first\n";
  EXPECT_EQ(alone.err, "ambrel-cli: " + fifo + pipe);
  const CliRun batch = Cli("--no-render --json --jobs 2 " + Quote(fifo) + " /dev/null sample.mkv");
  EXPECT_EQ(batch.status, 1);
  EXPECT_EQ(batch.err, "ambrel-cli: " + fifo + pipe + "ambrel-cli: /dev/null: Not a regular file\n"
                       "ambrel-cli: 2 of 3 files failed\n");
  EXPECT_EQ(std::count(batch.out.begin(), batch.out.end(), '\n'), 3);
}

// The reason on standard error is the parser's own, the one the JSON document gives.
TEST(Failure, TheReasonIsTheParsersOwn) {
  const TTempDir dir("ambrel_reason");
  const std::string ebml = std::string("\x1A\x45\xDF\xA3\x8B\x42\x82\x88", 8);
  const std::string docType = dir.Write("doctype.mkv", ebml + "Matroska" + std::string("\x18\x53\x80\x67\x80", 5));
  const std::string noSegment = dir.Write("nosegment.mkv", ebml + "matroska" + std::string("\xEC\x80", 2));
  for (const auto& [file, reason] : {std::pair<std::string, std::string>{docType, "Wrong DocType (Matroska)"},
                                     {noSegment, "Segment not found"}}) {
    const TCliResult run = RunCli({"--no-render", "--json", file});
    EXPECT_EQ(run.err, "ambrel-cli: " + file + ": " + reason + "\n");
    EXPECT_NE(run.out.find("\"message\":\"" + reason + "\""), std::string::npos) << run.out;
  }
  // What the reason quotes of the file stays on its line and cannot drive the terminal.
  const std::string controls = dir.Write("controls.mkv", ebml + "ma\nt\x1Bska");
  EXPECT_EQ(RunCli({"--no-render", controls}).err, "ambrel-cli: " + controls + ": Wrong DocType (ma\\x0At\\x1Bska)\n");
}

// Runs the command line in a child process made ready by Prepare (false: it could not be),
// with its standard error and status; none when the child could not be made ready.
std::optional<TCliResult> RunCliInChild(const std::vector<std::string>& args, const std::function<bool()>& Prepare) {
  int errPipe[2];
  if (pipe(errPipe) != 0) return std::nullopt;
  const pid_t child = fork();
  if (child == 0) {
    close(errPipe[0]);
    if (!Prepare()) _exit(255);
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

// Runs the command line with its standard error. Root reads every folder, so as root the
// run is made in a child that has become the user nobody; none when it cannot be.
std::optional<TCliResult> RunCliUnprivileged(const std::vector<std::string>& args) {
  if (geteuid() != 0) return RunCli(args);
  const passwd* nobody = getpwnam("nobody");
  if (!nobody) return std::nullopt;
  const uid_t uid = nobody->pw_uid;
  const gid_t gid = nobody->pw_gid;
  return RunCliInChild(args, [&] { return setgroups(0, nullptr) == 0 && setgid(gid) == 0 && setuid(uid) == 0; });
}

// A save that fails (here: past the largest file the process may write) keeps the old
// reports whole and says the system's reason; a FIFO or a folder in a report's place is
// refused without waiting and left as it is.
TEST(Failure, FailedSavesKeepTheOldReports) {
  const TTempDir dir("ambrel_save_fail");
  const std::string html = dir.Write("Report.html", "old page"), txt = dir.Write("Report.txt", "old text");
  const std::optional<TCliResult> run =
      RunCliInChild({"--no-render", "--save", dir.Path().string(), kData + "/sample.mkv"}, [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{1024, 1024};
        return setrlimit(RLIMIT_FSIZE, &small) == 0;
      });
  ASSERT_TRUE(run);
  EXPECT_EQ(run->status, 1);
  EXPECT_EQ(run->err, "ambrel-cli: cannot write " + html + ": File too large\n"
                      "ambrel-cli: cannot write " + txt + ": File too large\n");
  EXPECT_EQ(ReadFile(html), "old page");
  EXPECT_EQ(ReadFile(txt), "old text");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);  // no leftovers

  const TTempDir odd("ambrel_save_odd");
  ASSERT_EQ(mkfifo((odd / "Report.html").c_str(), 0600), 0);
  std::filesystem::create_directory(odd / "Report.txt");
  const CliRun refused = Cli("--no-render --save " + Quote(odd.Path().string()) + " sample.mkv");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "ambrel-cli: cannot write " + (odd / "Report.html") + ": Not a regular file\n"
                         "ambrel-cli: cannot write " + (odd / "Report.txt") + ": Is a directory\n");
  EXPECT_TRUE(std::filesystem::is_fifo(odd / "Report.html"));
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
