// The backend as the module programs load, and the automatic graph started ahead of the
// RenderFile that asks for it.
#include <dlfcn.h>


#include "io/Executable.h"
#include "media/MediaModule.h"
#include "tests/media/gst/GstTestUtil.h"

namespace ambrel::testing {
namespace {

const std::string kData = AMBREL_TEST_DATA_DIR;

TEST(GstModule, ItsOneEntryRefusesAnotherInterfaceVersionAndItsObjectsCrossTheBoundary) {
  void* module = dlopen(AMBREL_MEDIA_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  auto* entry = reinterpret_cast<TMediaModuleEntry*>(dlsym(module, kMediaModuleEntry));
  ASSERT_NE(entry, nullptr);
  // Nothing but the entry is visible: the backend's functions, and those of the libraries
  // linked into it, stay inside.
  EXPECT_EQ(dlsym(module, "_ZN6ambrel5media24CreateGStreamerFrameworkEv"), nullptr);
  EXPECT_EQ(dlsym(module, "_ZN6ambrel5media22CreateNoMediaFrameworkEv"), nullptr);
  EXPECT_EQ(entry(kMediaModuleAbi + 1), nullptr);

  const std::unique_ptr<IMediaFramework> fw(entry(kMediaModuleAbi));
  ASSERT_NE(fw, nullptr);
  EXPECT_EQ(fw->Description().rfind("GStreamer ", 0), 0u) << fw->Description();
  // The program casts the module's objects to the interfaces it asked for, and strings and
  // lists made on one side are freed on the other.
  ComPtr<IGraphBuilder> graph;
  ASSERT_EQ(CoCreateInstanceAs(*fw, CLSID_FilterGraph, IID_IGraphBuilder, graph), S_OK);
  ComPtr<IBaseFilter> source;
  ASSERT_EQ(graph->AddSourceFilter(Utf8ToWide(kData + "/sample.mkv"), nullptr, source), S_OK);
  ComPtr<IEnumPins> pins;
  ASSERT_EQ(source->EnumPins(pins), S_OK);
  ComPtr<IPin> pin;
  ASSERT_EQ(pins->Next(pin), S_OK);
  PIN_INFO info;
  ASSERT_EQ(pin->QueryPinInfo(info), S_OK);
  EXPECT_EQ(WideToUtf8(info.achName), "src (Matroska)");
  EXPECT_EQ(fw->RegQueryDefaultValue(u"Software\\Classes\\CLSID\\{00000000-0000-0000-0000-000000000000}\\InprocServer32",
                                     info.achName),
            ERROR_FILE_NOT_FOUND);
}

TEST(GstModule, ProgramsLookBesideThemselvesThenInTheInstalledLibraryFolder) {
  const std::vector<std::string> dirs = platform::ModuleDirectories();
  ASSERT_EQ(dirs.size(), 2u);
  EXPECT_EQ(dirs[0], platform::ExecutableDirectory());
  EXPECT_EQ(dirs[1].rfind(dirs[0] + "../", 0), 0u) << dirs[1];
  EXPECT_EQ(dirs[1].substr(dirs[1].size() - 8), "/ambrel/");
}

struct TRendered {
  HRESULT hr;
  std::vector<std::pair<std::string, std::string>> notes;
  TRenderFileStreams streams;
};

TRendered Render(const std::string& name, const std::string* prepared = nullptr) {
  if (prepared) Gst().PrepareRenderFile(Utf8ToWide(kData + "/" + *prepared));
  ComPtr<IGraphBuilder> graph;
  CoCreateInstanceAs(Gst(), CLSID_FilterGraph, IID_IGraphBuilder, graph);
  const HRESULT hr = graph->RenderFile(Utf8ToWide(kData + "/" + name), nullptr);
  return {hr, Gst().RenderFileNotes(), Gst().RenderFileStreams()};
}

TEST(GstRenderFile, AGraphStartedAheadAnswersAsRenderFileAloneAndOnlyForItsFile) {
  REQUIRE_FACTORIES("matroskademux", "vorbisdec", "fakesink");
  const std::string partial = "missing_decoder.mkv";
  const TRendered alone = Render(partial);
  EXPECT_EQ(alone.hr, VFW_S_PARTIAL_RENDER);
  ASSERT_FALSE(alone.notes.empty());
  ASSERT_FALSE(alone.streams.Streams.empty());

  // A graph started for another file is not taken: the answer and its notes are the
  // asked file's.
  const std::string missing = "no-such-file.mkv";
  const TRendered other = Render(missing, &partial);
  EXPECT_EQ(other.hr, HRESULT_FILE_NOT_FOUND);
  EXPECT_TRUE(other.notes.empty());
  EXPECT_FALSE(other.streams.Told);

  // The graph started ahead gives the answer, and the notes, of RenderFile alone.
  const TRendered ahead = Render(partial, &partial);
  EXPECT_EQ(ahead.hr, alone.hr);
  EXPECT_EQ(ahead.notes, alone.notes);
  EXPECT_EQ(ahead.streams, alone.streams);

  // A file that cannot be opened, started ahead, fails as it does when asked directly.
  EXPECT_EQ(Render(missing, &missing).hr, HRESULT_FILE_NOT_FOUND);
}

// A demuxer that fails on the file at once can lose its error inside the decoding bin
// (which drops the errors of an element it is still starting): the graph then had to wait
// for its time limit, mostly once the plugins were loaded by an earlier graph, and
// answered that it timed out. The answer is the demuxer's, every time.
TEST(GstRenderFile, ADemuxerFailingOnTheFileIsAnsweredEveryTimeWithoutWaiting) {
  REQUIRE_FACTORIES("matroskademux", "fakesink");
  Render("sample.mkv");
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Render("truncated_tracks.mkv").hr, VFW_E_INVALID_FILE_FORMAT) << "run " << i;
}

}  // namespace
}  // namespace ambrel::testing
