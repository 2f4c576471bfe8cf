// Many files in one run: outputs in the order given whatever the number of threads,
// failures that do not stop the others, paths from standard input, directory walks and
// the progress line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "CliInProcess.h"
#include "TempDir.h"
#include "app/cli/BatchRun.h"
#include "app/cli/FileFailure.h"

using namespace ambrel;
namespace fs = std::filesystem;

namespace {

const fs::path kData = AMBREL_TEST_DATA_DIR;

std::string Sample(const std::string& name) { return (kData / name).string(); }

std::vector<std::string> Paths(const std::vector<TBatchItem>& items) {
  std::vector<std::string> paths;
  for (const TBatchItem& item : items) paths.push_back(item.Path);
  return paths;
}

}  // namespace

TEST(Batch, OutputsFollowTheArgumentsWhateverTheThreads) {
  // Files of very different sizes and outcomes, repeated, so threads finish out of order.
  std::vector<std::string> files;
  for (int round = 0; round < 6; ++round) {
    for (const char* name : {"sample.mkv", "truncated_tracks.mkv", "audio.mka", "no-such.mkv", "sample.webm"}) {
      files.push_back(Sample(name));
    }
  }
  for (const char* mode : {"--json", "--log", "--html"}) {
    SCOPED_TRACE(mode);
    std::string expected;
    for (const std::string& file : files) expected += RunCli({"--no-render", mode, file}).out;
    std::vector<std::string> args = {"--no-render", mode, "--jobs", "4"};
    args.insert(args.end(), files.begin(), files.end());
    const TCliResult parallel = RunCli(args);
    EXPECT_EQ(parallel.status, 1);  // some failed, the rest were still analysed
    EXPECT_EQ(parallel.out, expected);
    // Not a terminal: no progress line; each failure's reason in order, then the count.
    EXPECT_TRUE(parallel.err.starts_with(FileFailureLine(Sample("truncated_tracks.mkv"),
                                                         "The file ends inside TrackEntry at position 4449") +
                                         FileFailureLine(Sample("no-such.mkv"), "No such file or directory")))
        << parallel.err;
    EXPECT_TRUE(parallel.err.ends_with("ambrel-cli: 12 of 30 files failed\n")) << parallel.err;
    // One file at a time, each output is written out as it is made: the same bytes.
    args.erase(args.begin() + 2, args.begin() + 4);
    const TCliResult sequential = RunCli(args);
    EXPECT_EQ(sequential.out, expected);
    EXPECT_EQ(sequential.err, parallel.err);
  }
  EXPECT_EQ(RunCli({"--no-render", "--jobs", "2", Sample("sample.mkv"), Sample("audio.mka")}).status, 0);
}

TEST(Batch, EveryThreadHasAFrameworkOfItsOwn) {
  // Scripted worlds keep state per framework (handles, the running-object table): a
  // framework shared between threads would mix their narratives.
  const std::string world = (kData / "worlds" / "desktop.json").string();
  const std::string single = RunCli({"--media-world", world, Sample("sample.mkv")}).out;
  std::vector<std::string> args = {"--media-world", world, "--jobs", "3"};
  for (int i = 0; i < 6; ++i) args.push_back(Sample("sample.mkv"));
  std::string expected;
  for (int i = 0; i < 6; ++i) expected += single;
  EXPECT_EQ(RunCli(args).out, expected);
}

TEST(Batch, PathsFromStandardInput) {
  const TCliResult run =
      RunCli({"--no-render", "--json", Sample("audio.mka"), "-"}, Sample("sample.mkv") + "\r\n\n" + Sample("subs.mks") + "\n");
  EXPECT_EQ(run.status, 0);
  std::istringstream lines(run.out);
  std::vector<std::string> order;
  for (std::string line; std::getline(lines, line);) order.push_back(line.substr(0, line.find("\",\"parsed\"")));
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[0], "{\"path\":\"" + Sample("audio.mka"));
  EXPECT_EQ(order[1], "{\"path\":\"" + Sample("sample.mkv"));
  EXPECT_EQ(order[2], "{\"path\":\"" + Sample("subs.mks"));
}

TEST(Batch, DirectoriesAreWalkedOnlyWhenAsked) {
  const TTempDir temp("ambrel_batch");
  const fs::path& root = temp.Path();
  fs::create_directories(root / "b" / "deeper");
  for (const char* name : {"b/deeper/z.MKV", "b/a.webm", "a.mka", "c.mks", "notes.txt", "clip.mp4", "mkv"}) {
    fs::copy_file(kData / "sample.mkv", root / name);
  }
  fs::create_directory(root / "folder.mkv");  // a directory named like a file is walked, not analysed

  std::istringstream none;
  const std::vector<TBatchItem> walked = ExpandFileArguments({root.string()}, true, none);
  EXPECT_EQ(Paths(walked), (std::vector<std::string>{(root / "a.mka").string(), (root / "b/a.webm").string(),
                                                      (root / "b/deeper/z.MKV").string(), (root / "c.mks").string()}));
  for (const TBatchItem& item : walked) EXPECT_EQ(item.Refusal, "");

  const TCliResult refused = RunCli({"--no-render", "--json", root.string(), Sample("sample.mkv")});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(refused.err.starts_with("ambrel-cli: " + root.string() +
                                      " is a directory (give --recursive to analyse the files in it)\n"));
  EXPECT_EQ(std::count(refused.out.begin(), refused.out.end(), '\n'), 2);  // the refused one still has its document

  const TCliResult recursive = RunCli({"--no-render", "--json", "--recursive", "--jobs", "3", root.string()});
  EXPECT_EQ(recursive.status, 0);
  EXPECT_EQ(std::count(recursive.out.begin(), recursive.out.end(), '\n'), 4);
}

TEST(Batch, ProgressLineOnATerminalOnly) {
  using namespace std::chrono_literals;
  std::ostringstream line;
  TProgressLine progress(line, 3, 100ms);
  const auto start = TProgressLine::TClock::now();
  progress.Step(start + 1s);
  progress.Step(start + 1s + 10ms);  // too soon to redraw
  progress.Clear();
  line << "message\n";
  progress.Step(start + 2s);  // after a clear the line comes back at once
  progress.Finish(start + 2s);
  const std::string text = line.str();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 4) << text;
  EXPECT_NE(text.find("1/3 files"), std::string::npos);
  EXPECT_EQ(text.find("2/3 files"), std::string::npos);
  EXPECT_NE(text.find("\r\033[Kmessage\n"), std::string::npos);
  EXPECT_NE(text.find("3/3 files, 1.5 files/s\n"), std::string::npos) << text;

  const TCliResult terminal = RunCli({"--no-render", Sample("sample.mkv"), Sample("audio.mka")}, "", true);
  EXPECT_NE(terminal.err.find("2/2 files"), std::string::npos);
  EXPECT_EQ(RunCli({"--no-render", Sample("sample.mkv")}, "", true).err, "");  // one file: no progress line
}
