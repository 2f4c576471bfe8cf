// Whole analyses over GStreamer on the real sample files: the framework's own render
// result, the renderers and missing decoders it names, and the engine's narrative.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <gst/gst.h>
#include <nlohmann/json.hpp>

#include "tests/app/cli/CliRun.h"
#include "tests/media/gst/GstTestUtil.h"
// After the test framework's headers: it opens namespace ambrel at file scope.
#include "tests/matroska/EbmlBuilder.h"

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

// The real sample files, by name.
std::vector<std::string> Samples() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(AMBREL_TEST_DATA_DIR)) {
    const std::string ext = entry.path().extension().string();
    if (ext == ".mkv" || ext == ".mka" || ext == ".mks" || ext == ".webm") names.push_back(entry.path().filename());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The full analysis's JSON document of a sample, made once for the tests that read it.
const nlohmann::json& FullDocument(const std::string& name) {
  static std::map<std::string, nlohmann::json> documents;
  auto [at, added] = documents.try_emplace(name);
  if (added) at->second = nlohmann::json::parse(Cli("--json " + Quote(name)).out);
  return at->second;
}

// The plugin file of an element factory, as the registry names it.
std::string PluginFileOf(const std::string& factory) {
  std::string file;
  if (GstPluginFeature* feature = gst_registry_lookup_feature(gst_registry_get(), factory.c_str())) {
    if (GstPlugin* plugin = gst_plugin_feature_get_plugin(feature)) {
      if (const gchar* name = gst_plugin_get_filename(plugin)) file = name;
      gst_object_unref(plugin);
    }
    gst_object_unref(feature);
  }
  return file;
}

TEST(GstRendering, AFileWhoseEveryCodecHasADecoderRendersCompletely) {
  REQUIRE_FACTORIES("matroskademux", "mpeg4videoparse", "avdec_mpeg4", "vorbisdec", "fakesink");
  const CliRun run = Cli("sample.mkv");
  const std::vector<std::string> check = Section(run.out, "DirectShow RenderFile check : ");
  EXPECT_TRUE(Has(check, "RenderFile with DirectShow : OK")) << run.out;
  EXPECT_EQ(std::count_if(check.begin(), check.end(), [](const std::string& l) { return l.rfind("Renderer used : ", 0) == 0; }), 3);
  // The check names the framework and its own splitter, and says what became of each track.
  ASSERT_GE(check.size(), 9u);
  EXPECT_EQ(check[0].rfind("Media framework : GStreamer ", 0), 0u) << check[0];
  EXPECT_EQ(check[7], "Matroska Splitter : Matroska demuxer");
  EXPECT_TRUE(Has(check, "Track 1 : plays with libav MPEG-4 part 2 decoder (avdec_mpeg4, gstreamer1.0-libav)"))
      << run.out;
  EXPECT_TRUE(Has(check, "Track 2 : plays with Vorbis audio decoder (vorbisdec, gstreamer1.0-plugins-base)"));
  EXPECT_TRUE(Has(check, "Track 3 : not rendered: subtitles are drawn by the player"));

  const std::vector<std::string> steps = Section(run.out, "DirectShow detailed rendering : ");
  ASSERT_FALSE(steps.empty()) << run.out;
  // Video, audio and subtitles each reach a sink; nothing had to be backed out.
  EXPECT_EQ(Count(steps, "Completed path : "), 3) << run.out;
  EXPECT_EQ(Count(steps, "Backtracking"), 0);
  EXPECT_EQ(Step(steps.back()), "MyRenderFile finished : OK");
}

// The RenderFile check and the detailed rendering agree on whether each sample plays: the
// rendering asks for decoders down to the rank the framework's own graph takes.
TEST(GstRendering, BothAnswersAgreeOnEverySample) {
  REQUIRE_FACTORIES("matroskademux");
  for (const auto& entry : std::filesystem::directory_iterator(AMBREL_TEST_DATA_DIR)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".mkv" && ext != ".mka" && ext != ".mks" && ext != ".webm") continue;
    const CliRun run = Cli(entry.path().filename().string());
    const bool renderOk = Has(Section(run.out, "DirectShow RenderFile check : "), "RenderFile with DirectShow : OK");
    const std::vector<std::string> steps = Section(run.out, "DirectShow detailed rendering : ");
    ASSERT_FALSE(steps.empty()) << entry.path();
    EXPECT_EQ(renderOk, Step(steps.back()) == "MyRenderFile finished : OK") << entry.path() << "\n" << run.out;
  }
}

// Verdicts that say why a track does not play, on made files.
TEST(GstRendering, TracksThatDoNotPlaySayWhy) {
  REQUIRE_FACTORIES("matroskademux", "avdec_tta", "fakeaudiosink");
  const struct {
    const char* file;
    std::vector<std::string> lines;
  } cases[] = {
      {"gst/ff_a_tta_alac_f32.mka",
       {"Track 1 : no installed decoder accepts Lossless True Audio (TTA): libav TTA (True Audio) decoder (avdec_tta, "
        "gstreamer1.0-libav) refuses this stream",
        "Track 2 : no installed decoder for A_ALAC: no GStreamer element decodes it in Matroska",
        "Track 3 : plays without a decoder"}},
  };
  for (const auto& c : cases) {
    const CliRun run = Cli(c.file);
    const std::vector<std::string> check = Section(run.out, "DirectShow RenderFile check : ");
    for (const std::string& line : c.lines) EXPECT_TRUE(Has(check, line)) << c.file << "\n" << run.out;
    // The detailed rendering completes no path through the decoder that refuses the stream.
    EXPECT_EQ(run.out.find("-> libav TTA (True Audio) decoder("), std::string::npos) << run.out;
  }
}

TEST(GstRendering, AFileWithACodecNoPluginDecodesRendersInPart) {
  REQUIRE_FACTORIES("matroskademux", "vorbisdec");
  const CliRun run = Cli("missing_decoder.mkv");
  const std::string partial = "Some of the streams in this movie are in an unsupported format. (0x00040242)";
  const std::vector<std::string> check = Section(run.out, "DirectShow RenderFile check : ");
  EXPECT_TRUE(Has(check, "RenderFile with DirectShow : " + partial)) << run.out;
  // The decoder is named as the framework's discoverer names it.
  EXPECT_TRUE(Has(check, "Track 1 : no installed decoder for V_MS/VFW/FOURCC (FOURCC FFVH): no GStreamer element "
                         "decodes it in Matroska")) << run.out;

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

// A file whose track numbers (5, 7, 9) are not their counts in the report, with a Logo
// track, which the framework's demuxer leaves out: 0.2 s of silence and one subtitle.
std::string NumberedTracksFile() {
  using namespace ebml;
  const auto track = [](uint64_t number, uint64_t type, const std::string& codec, const std::string& more) {
    return Element(kTrackEntry, Uint(kTrackNumber, number) + Uint(kTrackUID, number * 1000) + Uint(kTrackType, type) +
                                    Str(kCodecID, codec) + more);
  };
  const auto block = [](uint8_t number, uint8_t time, const std::string& data) {
    return Element(0xA3, std::string{static_cast<char>(0x80 | number), 0, static_cast<char>(time), '\x80'} + data);
  };
  // The subtitle comes first: the demuxer reads a text block as a C string, past its end
  // when nothing follows it in the data read.
  std::string blocks = block(9, 0, "Hello") + block(7, 0, "logo");
  for (uint8_t i = 0; i < 4; ++i) blocks += block(5, i * 50, std::string(800, '\0'));
  const std::string pcm = Master(kAudio, {Float8(kSamplingFrequency, 8000), Uint(kChannels, 1), Uint(kBitDepth, 16)});
  return Header() + Segment(Master(kInfo, {Uint(kTimecodeScale, 1000000), Float8(kDuration, 200)}) +
                            Master(kTracks, {track(5, 2, "A_PCM/INT/LIT", pcm), track(7, 0x10, "S_TEXT/UTF8", ""),
                                             track(9, 0x11, "S_TEXT/UTF8", "")}) +
                            Element(kCluster, Uint(kTimecode, 0) + blocks));
}

// Every track of the file has its line, numbered as the file report numbers it, in the text
// report and in the JSON document.
TEST(GstRendering, EveryTrackHasAVerdictNumberedAsTheReportNumbersIt) {
  REQUIRE_FACTORIES("matroskademux", "fakesink");
  const TTempDir temp("ambrel_gst");
  const std::string file = Quote(temp.Write("numbered.mkv", NumberedTracksFile()));
  const CliRun run = Cli(file);
  const std::vector<std::string> check = Section(run.out, "DirectShow RenderFile check : ");
  const std::vector<std::string> expected = {
      "Track 1 : plays without a decoder",
      "Track 2 : not rendered: the framework's Matroska demuxer does not expose it (a Logo track)",
      "Track 3 : not rendered: subtitles are drawn by the player"};
  std::vector<std::string> tracks;
  std::copy_if(check.begin(), check.end(), std::back_inserter(tracks), [](const std::string& l) { return l.rfind("Track ", 0) == 0; });
  EXPECT_EQ(tracks, expected) << run.out;

  const std::string json = Cli("--json " + file).out;
  for (const char* verdict : {R"({"number":5,"playback":{"status":"plays","element":null,)",
                              R"({"number":7,"playback":{"status":"not_rendered","element":null,)",
                              R"({"number":9,"playback":{"status":"not_rendered","element":null,)"})
    EXPECT_NE(json.find(verdict), std::string::npos) << verdict << "\n" << json;
}

// A stream no installed element decodes names the package whose element would: on a
// machine with only the framework's core, the demuxer and the stand-in sinks.
TEST(GstRendering, ATrackWithoutADecoderNamesThePackageThatBringsOne) {
  REQUIRE_FACTORIES("matroskademux", "uridecodebin", "fakesink", "fakevideosink", "vorbisdec");
  const TTempDir plugins("ambrel_gst_plugins");
  for (const char* name : {"coreelements", "typefindfunctions", "playback", "matroska", "debugutilsbad"}) {
    GstPlugin* plugin = gst_registry_find_plugin(gst_registry_get(), name);
    ASSERT_TRUE(plugin && gst_plugin_get_filename(plugin)) << name;
    const std::filesystem::path file = gst_plugin_get_filename(plugin);
    gst_object_unref(plugin);
    std::filesystem::create_symlink(file, plugins.Path() / file.filename());
  }
  for (const char* variable : {"GST_PLUGIN_SYSTEM_PATH_1_0", "GST_PLUGIN_PATH_1_0"}) setenv(variable, plugins.Path().c_str(), 1);
  setenv("GST_REGISTRY_1_0", (plugins / "registry.bin").c_str(), 1);
  const CliRun run = Cli("sample.mkv");
  for (const char* variable : {"GST_PLUGIN_SYSTEM_PATH_1_0", "GST_PLUGIN_PATH_1_0", "GST_REGISTRY_1_0"}) unsetenv(variable);
  const std::vector<std::string> check = Section(run.out, "DirectShow RenderFile check : ");
  EXPECT_TRUE(Has(check, "Track 2 : no installed decoder for Vorbis; gstreamer1.0-plugins-base provides Vorbis audio decoder"))
      << run.out;
  EXPECT_TRUE(Has(check, "Missing decoder : Vorbis decoder (track 2)")) << run.out;
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

// Plugins are loaded ahead of need only when the graph will use them. For FLAC, libav's
// decoder is offered first for the unparsed stream, but the parser's output goes to the FLAC
// decoder: loading libav for it tripled the analysis of a file without video.
TEST(GstRendering, OnlyPluginsTheGraphUsesAreLoadedAhead) {
  REQUIRE_FACTORIES("matroskademux", "flacparse", "flacdec", "avdec_flac", "ac3parse", "a52dec", "fakesink");
  // A first run brings the registry up to date, so no plugin scan shows in the second's log.
  Cli("audio.mka");
  // The framework's log goes to a file: its standard error never reaches the program's.
  const TTempDir temp("ambrel_gst");
  setenv("GST_DEBUG", "GST_PLUGIN_LOADING:4", 1);
  setenv("GST_DEBUG_FILE", (temp / "log").c_str(), 1);
  Cli("audio.mka");
  unsetenv("GST_DEBUG");
  unsetenv("GST_DEBUG_FILE");
  const std::string log = ReadFile(temp / "log");
  EXPECT_NE(log.find("libgstflac.so\" loaded"), std::string::npos) << log.substr(0, 2000);
  EXPECT_EQ(log.find("libgstlibav.so\" loaded"), std::string::npos);
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

TEST(GstRendering, AMachineWithoutTheDecodingBinAnswersAtOnce) {
  // GStreamer with no plugin at all: no decoding bin for the automatic graph.
  const TTempDir empty;
  for (const char* variable : {"GST_PLUGIN_SYSTEM_PATH_1_0", "GST_PLUGIN_PATH_1_0"}) setenv(variable, empty.Path().c_str(), 1);
  setenv("GST_REGISTRY_1_0", (empty / "registry.bin").c_str(), 1);
  const CliRun run = Cli("sample.mkv");
  for (const char* variable : {"GST_PLUGIN_SYSTEM_PATH_1_0", "GST_PLUGIN_PATH_1_0", "GST_REGISTRY_1_0"}) unsetenv(variable);
  EXPECT_TRUE(Has(Section(run.out, "DirectShow RenderFile check : "),
                  "RenderFile with DirectShow : The source filter for this file could not be loaded. (0x80040241)"))
      << run.out;
  EXPECT_EQ(run.err.find("CRITICAL"), std::string::npos) << run.err;
}

// The codec database proposes, for every track that plays, the plugin of the decoder that
// plays it, in the package entry of that decoder's package.
TEST(GstRendering, ThePlayingDecodersPluginIsAmongTheTracksCandidates) {
  REQUIRE_FACTORIES("matroskademux");
  Gst();  // the registry the expected plugin files come from
  int checked = 0;
  for (const std::string& name : Samples()) {
    const nlohmann::json& doc = FullDocument(name);
    for (const nlohmann::json& verdict : doc["render_file"]["tracks"]) {
      const nlohmann::json& playback = verdict["playback"];
      if (!playback["element"].is_string()) continue;
      const std::string plugin = PluginFileOf(playback["element"]);
      const std::string package = "Debian/Ubuntu package " + playback["package"].get<std::string>();
      const nlohmann::json& track = doc["tracks"][verdict["number"].get<size_t>() - 1];
      ASSERT_EQ(track["number"], verdict["number"]) << name;
      const nlohmann::json& candidates = track["codec_candidates"];
      EXPECT_TRUE(std::any_of(candidates.begin(), candidates.end(), [&](const nlohmann::json& c) {
        return c["installed"] == true && c["server"] == plugin && c["install_comments"] == package;
      })) << name << " track " << track["number"] << " plays with " << playback["element"] << " of " << plugin
          << "\n" << candidates.dump(1);
      ++checked;
    }
  }
  EXPECT_GT(checked, 10);
}

// --no-render starts no framework and loads no GStreamer library, yet tells the same
// installed state, server and version of every proposed filter as the full analysis.
TEST(GstRendering, WithoutRenderingTheInstalledStatesAreTheFrameworks) {
  REQUIRE_FACTORIES("matroskademux");
  int installed = 0;
  for (const std::string& name : Samples()) {
    const nlohmann::json& full = FullDocument(name);
    const nlohmann::json quiet = nlohmann::json::parse(Cli("--no-render --json " + Quote(name)).out);
    ASSERT_EQ(full["tracks"].size(), quiet["tracks"].size()) << name;
    for (size_t t = 0; t < full["tracks"].size(); ++t) {
      const nlohmann::json& candidates = full["tracks"][t]["codec_candidates"];
      EXPECT_EQ(quiet["tracks"][t]["codec_candidates"], candidates) << name << " track " << t + 1;
      for (const nlohmann::json& c : candidates) installed += c["installed"] == true;
    }
  }
  EXPECT_GT(installed, 10);
  // The loader lists every library it loads, for the shell and the program, in files of
  // its own.
  const TTempDir loads("ambrel_ld");
  setenv("LD_DEBUG", "libs", 1);
  setenv("LD_DEBUG_OUTPUT", (loads / "ld").c_str(), 1);
  const CliRun run = Cli("--no-render sample.mkv");
  unsetenv("LD_DEBUG");
  unsetenv("LD_DEBUG_OUTPUT");
  std::string loaded;
  for (const auto& file : std::filesystem::directory_iterator(loads.Path())) loaded += ReadFile(file.path().string());
  EXPECT_NE(loaded.find("ambrel-cli"), std::string::npos) << "the loader did not list the libraries";
  EXPECT_EQ(loaded.find("libgstreamer"), std::string::npos);
  EXPECT_NE(run.out.find("Installed : yes, in "), std::string::npos) << run.out;
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
