// The framework host seen from the command line: a host that crashes or hangs costs only
// the rendering sections of its file, and the batch goes on with a fresh host.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "tests/app/cli/CliRun.h"

using namespace ambrel::testing;

namespace {

const std::string kCrashed = "The media framework stopped while rendering this file: SIGSEGV (Segmentation fault)";

// A world whose host fails as Fault says (the value of the world's "fault" key).
std::string FaultyWorld(const TTempDir& Dir, const std::string& Fault) {
  return Dir.Write("world.json", R"({"filters": [{"id": "dec", "name": "Decoder"}], "fault": )" + Fault + "}");
}

struct THostFailure {
  const char* Fault;
  const char* Seconds;   // the host's time limit per file, when not the default
  std::string StopLine;  // ends the sections it stopped
  int StopLines;         // how many sections it stopped
  const char* Before;    // what comes before the stop line of the detailed rendering
};

TEST(FrameworkHost, ACrashOrAHangCostsOnlyTheRenderingSections) {
  const THostFailure cases[] = {
      {R"({"call": "RenderFile", "action": "crash"})", nullptr, kCrashed, 2, "DirectShow detailed rendering : \r\n"},
      // The steps made before the call that hangs stay.
      {R"({"call": "AddSourceFilter", "action": "hang"})", "1", "The media framework did not answer within 1 s", 1,
       "1> MyRenderFile : sample.mkv\r\n2> Creation of GraphBuilder : OK\r\n3> Creation of FilterMapper2 : OK\r\n"
       "4> Adding graph to ROT : OK\r\n"},
  };
  for (const THostFailure& c : cases) {
    const TTempDir dir;
    const std::string world = "--media-world " + Quote(FaultyWorld(dir, c.Fault)) + " ";
    if (c.Seconds) setenv("AMBREL_FRAMEWORK_HOST_SECONDS", c.Seconds, 1);
    const CliRun run = Cli(world + "sample.mkv");
    unsetenv("AMBREL_FRAMEWORK_HOST_SECONDS");
    EXPECT_EQ(run.status, 0) << c.Fault;
    // The file's own section is whole; both rendering sections keep their titles.
    const std::string file = Cli(world + "--no-render sample.mkv").out;
    EXPECT_EQ(run.out.substr(0, file.size()), file) << c.Fault;
    EXPECT_NE(run.out.find("DirectShow RenderFile check : \r\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("DirectShow detailed rendering : \r\n"), std::string::npos) << run.out;
    int stops = 0;
    for (size_t at = run.out.find(c.StopLine); at != std::string::npos; at = run.out.find(c.StopLine, at + 1)) ++stops;
    EXPECT_EQ(stops, c.StopLines) << run.out;
    EXPECT_TRUE(run.out.ends_with(c.Before + c.StopLine + "\r\n\r\n")) << run.out;
  }
}

TEST(FrameworkHost, ABatchGoesOnWithAFreshHostAfterACrash) {
  const TTempDir dir;
  const std::string world =
      "--media-world " + Quote(FaultyWorld(dir, R"({"call": "RenderFile", "action": "crash", "ext": "mka"})")) + " ";
  const std::string files[] = {"audio.mka", "sample.mkv", "subs.mks", "audio.mka", "sample.mkv"};
  std::string list;
  for (const std::string& f : files) list += " " + f;
  for (const char* jobs : {"--jobs 1", "--jobs 2"}) {
    const CliRun run = Cli(world + "--json " + jobs + list);
    EXPECT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::string line;
    for (const std::string& f : files) {
      ASSERT_TRUE(std::getline(lines, line)) << jobs;
      const nlohmann::json document = nlohmann::json::parse(line);
      if (f.ends_with(".mka")) {
        EXPECT_EQ(document["render_file"]["error"]["text"], kCrashed) << jobs;
        EXPECT_EQ(document["rendering"]["error"]["text"], kCrashed) << jobs;
      } else {
        EXPECT_EQ(line + "\n", Cli(world + "--json " + f).out) << f << " " << jobs;
      }
    }
  }
}

// A copy of ambrel-cli in a folder of its own, beside Host when given (as its host
// program). The folder's name holds markup, which no page may take for its own.
struct TCopiedCli {
  TTempDir Dir;
  std::string Folder = Dir / "hp_<img src=x onerror=alert(7)>";
  std::string Program = Folder + "/ambrel-cli";
  explicit TCopiedCli(const char* Host) {
    std::filesystem::create_directory(Folder);
    std::filesystem::copy_file(AMBREL_CLI_PATH, Program);
    if (Host) std::filesystem::copy_file(Host, Folder + "/ambrel-framework-host");
  }
};

std::vector<nlohmann::json> Documents(const std::string& Out) {
  std::vector<nlohmann::json> documents;
  std::istringstream lines(Out);
  for (std::string line; std::getline(lines, line);) documents.push_back(nlohmann::json::parse(line));
  return documents;
}

TEST(FrameworkHost, AMissingHostProgramIsSaidForEveryFileAndNothingElseAnswers) {
  const TCopiedCli cli(nullptr);
  const std::string line =
      "The media framework host program could not be started: " + cli.Folder + "/ambrel-framework-host: No such file or directory";
  const CliRun run = Cli("--jobs 2 --json audio.mka sample.mkv audio.mka", cli.Program);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "ambrel-cli: " + line + "\n");
  const std::vector<nlohmann::json> documents = Documents(run.out);
  ASSERT_EQ(documents.size(), 3u) << run.out;
  for (const nlohmann::json& document : documents) {
    EXPECT_EQ(document["render_file"]["error"]["text"], line);
    EXPECT_EQ(document["rendering"]["error"]["text"], line);
    // Whether a proposed filter is installed is not known either.
    for (const nlohmann::json& candidate : document["tracks"][0]["codec_candidates"]) EXPECT_TRUE(candidate["installed"].is_null());
  }
  // The page shows the folder's name as text.
  const std::string page = Cli("--html audio.mka", cli.Program).out;
  EXPECT_EQ(page.find("<img"), std::string::npos);
  EXPECT_NE(page.find("hp_&lt;img src=x onerror=alert(7)&gt;/ambrel-framework-host"), std::string::npos) << page;
}

// A host that misbehaves as Mode says (the fake host's AMBREL_FAKE_HOST), given Seconds
// per file.
CliRun WithFakeHost(const std::string& Mode, const std::string& Args, const char* Seconds = "20") {
  const TCopiedCli cli(AMBREL_FAKE_HOST_PATH);
  setenv("AMBREL_FAKE_HOST", Mode.c_str(), 1);
  setenv("AMBREL_FRAMEWORK_HOST_SECONDS", Seconds, 1);
  CliRun run = Cli(Args, cli.Program);
  unsetenv("AMBREL_FAKE_HOST");
  unsetenv("AMBREL_FRAMEWORK_HOST_SECONDS");
  return run;
}

TEST(FrameworkHost, AHostThatFloodsFailsOrChattersCostsOnlyItsOwnFile) {
  const struct {
    const char* Mode;
    std::string RenderFile;  // the stop line of the RenderFile check, of each file
    std::string Rendering;   // and of the detailed rendering
  } cases[] = {
      {"flood", "The media framework sent more than 32 MiB for this file", ""},
      {"steps", "The media framework sent more than 100000 steps for this file", ""},
      {"chatter", "The media framework stopped while rendering this file: SIGABRT (Aborted), saying: the plugin gave up", ""},
      // Stopped like a host the system stops (SIGSTOP): the installed state is unknown.
      {"mute", "The media framework did not answer within 2 s", ""},
      {"retire=The media framework could not start a thread: Resource temporarily unavailable", "",
       "The media framework could not start a thread: Resource temporarily unavailable"},
  };
  for (const auto& c : cases) {
    const CliRun run = WithFakeHost(c.Mode, "--json audio.mka audio.mka", std::string(c.Mode) == "mute" ? "2" : "20");
    EXPECT_EQ(run.status, 0) << c.Mode;
    // Every line on standard error is the program's own.
    EXPECT_EQ(run.err, "") << c.Mode;
    const std::vector<nlohmann::json> documents = Documents(run.out);
    ASSERT_EQ(documents.size(), 2u) << c.Mode;
    for (const nlohmann::json& document : documents) {
      if (!c.RenderFile.empty()) {
        EXPECT_EQ(document["render_file"]["error"]["text"], c.RenderFile) << c.Mode;
      }
      EXPECT_EQ(document["rendering"]["error"]["text"], c.Rendering.empty() ? c.RenderFile : c.Rendering) << c.Mode;
      const bool answered = std::string(c.Mode) != "mute";
      for (const nlohmann::json& candidate : document["tracks"][0]["codec_candidates"])
        EXPECT_EQ(candidate["installed"].is_null(), !answered) << c.Mode;
    }
  }
  const std::string text = WithFakeHost("mute", "audio.mka", "2").out;
  EXPECT_NE(text.find("Installed : unknown, the media framework did not answer"), std::string::npos) << text;
  EXPECT_EQ(text.find("Installed : no"), std::string::npos) << text;
}

TEST(FrameworkHost, TheHostIsAskedAboutExactlyTheFilesGivenAndRetiredWhenItSaysSo) {
  for (const char* retire : {"", "retire="}) {
    const TTempDir dir;
    const std::string record = dir / "questions";
    const CliRun run = WithFakeHost(std::string("record=") + record + (*retire ? ",retire" : ""), "--json audio.mka sample.mkv");
    EXPECT_EQ(run.status, 0) << run.err;
    std::istringstream lines(ReadFile(record));
    std::vector<std::string> prepared;
    int started = 0;
    for (std::string line; std::getline(lines, line);) {
      if (line == "started") ++started;
      if (line[0] == 'P') prepared.push_back(line.substr(1));
    }
    EXPECT_EQ(prepared, (std::vector<std::string>{"audio.mka", "sample.mkv"})) << retire;
    // One host serves both files, unless it says it must not serve another.
    EXPECT_EQ(started, *retire ? 2 : 1) << retire;
  }
}

}  // namespace
