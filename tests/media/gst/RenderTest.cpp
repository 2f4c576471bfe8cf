// Whole analyses over GStreamer on the real sample files: the framework's own render
// result, the renderers and missing decoders it names, and the engine's narrative.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/app/cli/CliRun.h"
#include "tests/media/gst/GstTestUtil.h"

namespace ambrel::testing {
namespace {

// The lines of the text report between a section title and its blank separator line.
std::vector<std::string> Section(const std::string& report, const std::string& title) {
  std::vector<std::string> lines;
  std::istringstream in(report);
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == title) {
      inside = true;
    } else if (inside && line.empty()) {
      break;
    } else if (inside) {
      lines.push_back(line);
    }
  }
  return lines;
}

// A narrative line without its elapsed-time prefix ("12> ").
std::string Step(const std::string& line) { return line.substr(line.find("> ") + 2); }

int Count(const std::vector<std::string>& lines, const std::string& prefix) {
  int n = 0;
  for (const std::string& line : lines) n += Step(line).rfind(prefix, 0) == 0;
  return n;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(GstRendering, AFileWhoseEveryCodecHasADecoderRendersCompletely) {
  REQUIRE_FACTORIES("matroskademux", "mpeg4videoparse", "avdec_mpeg4", "vorbisdec", "fakesink");
  const CliRun run = Cli("sample.mkv");
  const std::vector<std::string> check = Section(run.out, "DirectShow RenderFile check : ");
  EXPECT_TRUE(Has(check, "RenderFile with DirectShow : OK")) << run.out;
  EXPECT_EQ(std::count_if(check.begin(), check.end(), [](const std::string& l) { return l.rfind("Renderer used : ", 0) == 0; }), 3);

  const std::vector<std::string> steps = Section(run.out, "DirectShow detailed rendering : ");
  ASSERT_FALSE(steps.empty()) << run.out;
  // Video, audio and subtitles each reach a sink; nothing had to be backed out.
  EXPECT_EQ(Count(steps, "Completed path : "), 3) << run.out;
  EXPECT_EQ(Count(steps, "Backtracking"), 0);
  EXPECT_EQ(Step(steps.back()), "MyRenderFile finished : OK");
}

TEST(GstRendering, AFileWithACodecNoPluginDecodesRendersInPart) {
  REQUIRE_FACTORIES("matroskademux", "vorbisdec");
  const CliRun run = Cli("missing_decoder.mkv");
  const std::string partial = "Some of the streams in this movie are in an unsupported format. (0x00040242)";
  const std::vector<std::string> check = Section(run.out, "DirectShow RenderFile check : ");
  EXPECT_TRUE(Has(check, "RenderFile with DirectShow : " + partial)) << run.out;
  // The decoder is named as the framework's discoverer names it.
  EXPECT_TRUE(Has(check, "Missing decoder : video/x-unknown decoder")) << run.out;

  const std::vector<std::string> steps = Section(run.out, "DirectShow detailed rendering : ");
  ASSERT_GE(steps.size(), 2u) << run.out;
  auto video = std::find_if(steps.begin(), steps.end(), [](const std::string& l) {
    return Step(l).rfind("# Rendering output pin ", 0) == 0 && l.find("(video_0 (video/x-unknown))") != std::string::npos;
  });
  ASSERT_NE(video, steps.end()) << run.out;
  ASSERT_NE(video + 1, steps.end());
  EXPECT_EQ(Step(*(video + 1)), "Filters matching mediatype : ");
  EXPECT_EQ(Count(steps, "Completed path : "), 1);
  EXPECT_EQ(Step(steps.back()), "MyRenderFile finished : " + partial);
}

TEST(GstRendering, ADisplayThatCannotBeOpenedLeavesTheStandInSink) {
  REQUIRE_FACTORIES("matroskademux", "vorbisdec", "fakevideosink");
  // Display sinks are tried on a display that does not answer; none may take the
  // process down, and decoded video still reaches a sink.
  const char* old = std::getenv("DISPLAY");
  const std::string saved = old ? old : "";
  setenv("DISPLAY", ":97", 1);
  const CliRun run = Cli("sample.mkv");
  if (old)
    setenv("DISPLAY", saved.c_str(), 1);
  else
    unsetenv("DISPLAY");
  EXPECT_EQ(run.status, 0);
  const std::vector<std::string> check = Section(run.out, "DirectShow RenderFile check : ");
  EXPECT_TRUE(Has(check, "Renderer used : Fake Video Sink (no usable display: the decoded video is discarded)"))
      << run.out;
}

TEST(GstRendering, AFileNoTypeFinderRecognisesIsNotRendered) {
  const TTempDir temp("ambrel_gst");
  const CliRun run = Cli(Quote(temp.Write("unknown.mkv", "\x01\x02\x03\x04")));
  const std::string unknown = "The media type of this file is not recognized. (0x80040240)";
  EXPECT_TRUE(Has(Section(run.out, "DirectShow RenderFile check : "), "RenderFile with DirectShow : " + unknown))
      << run.out;
  const std::vector<std::string> steps = Section(run.out, "DirectShow detailed rendering : ");
  ASSERT_FALSE(steps.empty()) << run.out;
  EXPECT_EQ(Step(steps.back()), "Creation of source filter : " + unknown);
}

TEST(GstRendering, FilterListsNameTheInstalledElements) {
  REQUIRE_FACTORIES("matroskademux", "fakeaudiosink");
  const CliRun run = Cli("--filters");
  const std::vector<std::string> filters = Section(run.out, "DirectShow filters :");
  const std::vector<std::string> audio = Section(run.out, "Audio renderer :");
  EXPECT_TRUE(Has(filters, "Filter name : Matroska demuxer")) << run.out.substr(0, 2000);
  EXPECT_TRUE(Has(audio, "Filter name : Fake Audio Sink"));
  EXPECT_FALSE(Has(audio, "Filter name : Matroska demuxer"));
}

}  // namespace
}  // namespace ambrel::testing
