// The framework host seen from the command line: a host that crashes or hangs costs only
// the rendering sections of its file, and the batch goes on with a fresh host.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <nlohmann/json.hpp>
#include <sstream>

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

}  // namespace
