// The GStreamer backend's graph: sources from type finding, pads as pins, direct
// connections with their refusals, demuxer outputs after a bounded preroll, removal.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "TempDir.h"
#include "media/gst/GstBackend.h"
#include "media/gst/GstTimeouts.h"
#include "tests/media/gst/GstTestUtil.h"

namespace ambrel::testing {
namespace {

const std::string kData = AMBREL_TEST_DATA_DIR;

std::vector<ComPtr<IPin>> Pins(IBaseFilter* filter, PIN_DIRECTION direction) {
  std::vector<ComPtr<IPin>> pins;
  ComPtr<IEnumPins> all;
  if (FAILED(filter->EnumPins(all))) return pins;
  ComPtr<IPin> pin;
  while (all->Next(pin) == S_OK) {
    PIN_DIRECTION d;
    if (SUCCEEDED(pin->QueryDirection(d)) && d == direction) pins.push_back(pin);
  }
  return pins;
}

std::string PinName(IPin* pin) {
  PIN_INFO info;
  pin->QueryPinInfo(info);
  return WideToUtf8(info.achName);
}

std::vector<GUID> TypePairs(IPin* pin) {
  std::vector<GUID> pairs;
  ComPtr<IEnumMediaTypes> types;
  pin->EnumMediaTypes(types);
  std::unique_ptr<AM_MEDIA_TYPE> type;
  while (types->Next(type) == S_OK) {
    pairs.push_back(type->majortype);
    pairs.push_back(type->subtype);
  }
  return pairs;
}

// The friendly names the mapper proposes for a pin, by default at the usual minimum merit.
std::vector<std::u16string> Proposals(IPin* pin, uint32_t minMerit = 0x600000) {
  ComPtr<IFilterMapper2> mapper;
  CoCreateInstanceAs(Gst(), CLSID_FilterMapper2, IID_IFilterMapper2, mapper);
  const std::vector<GUID> pairs = TypePairs(pin);
  ComPtr<IEnumMoniker> found;
  std::vector<std::u16string> names;
  if (FAILED(mapper->EnumMatchingFilters(found, 0, false, minMerit, true, static_cast<uint32_t>(pairs.size() / 2),
                                         pairs.data(), nullptr, nullptr, false, false, 0, nullptr, nullptr, nullptr)))
    return names;
  ComPtr<IMoniker> moniker;
  while (found->Next(moniker) == S_OK) {
    ComPtr<IPropertyBag> bag;
    std::u16string name;
    moniker->BindToStorage(nullptr, bag);
    bag->Read(u"FriendlyName", name);
    names.push_back(name);
  }
  return names;
}

class GstGraphTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CoCreateInstanceAs(Gst(), CLSID_FilterGraph, IID_IGraphBuilder, graph), S_OK); }

  ComPtr<IBaseFilter> Source(const std::string& file) {
    ComPtr<IBaseFilter> source;
    EXPECT_TRUE(SUCCEEDED(graph->AddSourceFilter(Utf8ToWide(kData + "/" + file), nullptr, source))) << file;
    return source;
  }
  ComPtr<IBaseFilter> Add(const std::string& factory) {
    ComPtr<IBaseFilter> filter;
    FactoryMoniker(factory)->BindToObject(nullptr, filter);
    EXPECT_TRUE(filter) << factory;
    EXPECT_EQ(graph->AddFilter(filter.Get(), Utf8ToWide(factory)), S_OK);
    return filter;
  }
  // The source of a file connected to a Matroska demuxer.
  ComPtr<IBaseFilter> Demuxed(const std::string& file) {
    ComPtr<IBaseFilter> source = Source(file);
    ComPtr<IBaseFilter> demuxer = Add("matroskademux");
    EXPECT_EQ(graph->ConnectDirect(Pins(source.Get(), PINDIR_OUTPUT)[0].Get(),
                                   Pins(demuxer.Get(), PINDIR_INPUT)[0].Get(), nullptr),
              S_OK);
    return demuxer;
  }

  ComPtr<IGraphBuilder> graph;
};

TEST_F(GstGraphTest, SourceOffersTheDetectedTypeAndRefusesWhatItCannotRead) {
  REQUIRE_FACTORIES("matroskademux");
  ComPtr<IBaseFilter> source;
  EXPECT_EQ(graph->AddSourceFilter(Utf8ToWide(kData + "/no-such-file.mkv"), nullptr, source), HRESULT_FILE_NOT_FOUND);
  const TTempDir temp("ambrel_gst");
  const std::string unknown = temp.Write("unknown.bin", "\x01\x02\x03\x04");
  EXPECT_EQ(graph->AddSourceFilter(Utf8ToWide(unknown), nullptr, source), VFW_E_UNKNOWN_FILE_TYPE);
  EXPECT_FALSE(source);

  source = Source("sample.mkv");
  ASSERT_TRUE(source);
  EXPECT_TRUE(Pins(source.Get(), PINDIR_INPUT).empty());
  const std::vector<ComPtr<IPin>> outputs = Pins(source.Get(), PINDIR_OUTPUT);
  ASSERT_EQ(outputs.size(), 1u);
  // What the type finders saw is what the mapper is asked about: the Matroska demuxer.
  const std::vector<std::u16string> proposals = Proposals(outputs[0].Get());
  ASSERT_FALSE(proposals.empty());
  EXPECT_EQ(proposals[0], u"Matroska demuxer");

  FILTER_INFO info;
  source->QueryFilterInfo(info);
  EXPECT_EQ(info.achName, Utf8ToWide(kData + "/sample.mkv"));
  ComPtr<IBaseFilter> again;
  EXPECT_EQ(graph->AddSourceFilter(Utf8ToWide(kData + "/sample.mkv"), nullptr, again), VFW_S_DUPLICATE_NAME);
  again->QueryFilterInfo(info);
  EXPECT_EQ(info.achName, Utf8ToWide(kData + "/sample.mkv 0001"));
}

// A source made right after RenderFile of the same file takes the type RenderFile's type
// finder found; it must be the type the source's own type finding gives, and a file
// changed in between, or another file, must be read again.
TEST_F(GstGraphTest, ASourceAfterRenderFileOffersWhatItsOwnTypeFindingWould) {
  REQUIRE_FACTORIES("matroskademux", "fakesink");
  const auto typeOf = [&](const std::string& path, bool renderFirst) {
    ComPtr<IGraphBuilder> fresh;
    CoCreateInstanceAs(Gst(), CLSID_FilterGraph, IID_IGraphBuilder, fresh);
    if (renderFirst) fresh->RenderFile(Utf8ToWide(path), nullptr);
    ComPtr<IBaseFilter> source;
    fresh->AddSourceFilter(Utf8ToWide(path), nullptr, source);
    return source ? TypePairs(Pins(source.Get(), PINDIR_OUTPUT)[0].Get()) : std::vector<GUID>();
  };
  for (const char* file : {"sample.mkv", "sample.webm", "audio.mka", "subs.mks", "truncated_tracks.mkv"}) {
    const std::vector<GUID> own = typeOf(kData + "/" + file, false);
    ASSERT_FALSE(own.empty()) << file;
    EXPECT_EQ(typeOf(kData + "/" + file, true), own) << file;
  }

  const TTempDir temp("ambrel_gst");
  const std::filesystem::path copy = temp / "retyped.mkv";
  std::filesystem::copy_file(kData + "/sample.mkv", copy, std::filesystem::copy_options::overwrite_existing);
  ComPtr<IGraphBuilder> fresh;
  CoCreateInstanceAs(Gst(), CLSID_FilterGraph, IID_IGraphBuilder, fresh);
  fresh->RenderFile(Utf8ToWide(copy.string()), nullptr);
  // Another file between RenderFile and the source: read for itself.
  EXPECT_EQ(typeOf(kData + "/sample.webm", false), typeOf(kData + "/sample.webm", false));
  std::filesystem::copy_file(kData + "/sample.webm", copy, std::filesystem::copy_options::overwrite_existing);
  ComPtr<IBaseFilter> source;
  fresh->AddSourceFilter(Utf8ToWide(copy.string()), nullptr, source);
  ASSERT_TRUE(source);
  EXPECT_EQ(TypePairs(Pins(source.Get(), PINDIR_OUTPUT)[0].Get()), typeOf(kData + "/sample.webm", false));
}

TEST_F(GstGraphTest, DemuxerOutputsAppearOnceItsInputIsConnected) {
  REQUIRE_FACTORIES("matroskademux");
  ComPtr<IBaseFilter> demuxer = Add("matroskademux");
  EXPECT_TRUE(Pins(demuxer.Get(), PINDIR_OUTPUT).empty());
  graph->RemoveFilter(demuxer.Get());

  demuxer = Demuxed("sample.mkv");
  std::vector<std::string> names;
  for (const ComPtr<IPin>& pin : Pins(demuxer.Get(), PINDIR_OUTPUT)) names.push_back(PinName(pin.Get()));
  // Outputs are named with the format they carry, as the framework's discoverer names it.
  EXPECT_EQ(names, (std::vector<std::string>{"video_0 (MPEG-4 Video (Simple Profile))", "audio_0 (Vorbis)",
                                             "subtitle_0 (Timed Text)"}));

  const ComPtr<IPin> input = Pins(demuxer.Get(), PINDIR_INPUT)[0];
  ComPtr<IPin> peer;
  ASSERT_EQ(input->ConnectedTo(peer), S_OK);
  PIN_INFO info;
  peer->QueryPinInfo(info);
  CLSID clsid;
  info.pFilter->GetClassID(clsid);
  EXPECT_EQ(clsid, FactoryClsid("filesrc"));
}

TEST_F(GstGraphTest, ConnectDirectChecksThePinsBeforeLinking) {
  REQUIRE_FACTORIES("matroskademux", "vorbisdec", "identity");
  ComPtr<IBaseFilter> source = Source("sample.mkv");
  const ComPtr<IPin> out = Pins(source.Get(), PINDIR_OUTPUT)[0];
  ComPtr<IBaseFilter> decoder = Add("vorbisdec");
  const ComPtr<IPin> decoderIn = Pins(decoder.Get(), PINDIR_INPUT)[0];
  const ComPtr<IPin> decoderOut = Pins(decoder.Get(), PINDIR_OUTPUT)[0];
  EXPECT_EQ(graph->ConnectDirect(out.Get(), decoderIn.Get(), nullptr), VFW_E_NO_ACCEPTABLE_TYPES);
  EXPECT_EQ(graph->ConnectDirect(decoderIn.Get(), out.Get(), nullptr), VFW_E_INVALID_DIRECTION);

  ComPtr<IBaseFilter> outsider;
  FactoryMoniker("matroskademux")->BindToObject(nullptr, outsider);
  EXPECT_EQ(graph->ConnectDirect(out.Get(), Pins(outsider.Get(), PINDIR_INPUT)[0].Get(), nullptr), VFW_E_NOT_IN_GRAPH);

  // identity -> identity, then back again: a cycle.
  ComPtr<IBaseFilter> first = Add("identity");
  ComPtr<IBaseFilter> second;
  FactoryMoniker("identity")->BindToObject(nullptr, second);
  EXPECT_EQ(graph->AddFilter(second.Get(), u"identity"), VFW_S_DUPLICATE_NAME);
  EXPECT_EQ(graph->AddFilter(second.Get(), u"again"), VFW_E_DUPLICATE_NAME);
  ASSERT_EQ(graph->ConnectDirect(Pins(first.Get(), PINDIR_OUTPUT)[0].Get(), Pins(second.Get(), PINDIR_INPUT)[0].Get(),
                                 nullptr),
            S_OK);
  EXPECT_EQ(graph->ConnectDirect(Pins(second.Get(), PINDIR_OUTPUT)[0].Get(), Pins(first.Get(), PINDIR_INPUT)[0].Get(),
                                 nullptr),
            VFW_E_CIRCULAR_GRAPH);
  EXPECT_EQ(graph->ConnectDirect(Pins(first.Get(), PINDIR_OUTPUT)[0].Get(), decoderIn.Get(), nullptr),
            VFW_E_ALREADY_CONNECTED);
}

TEST_F(GstGraphTest, RemovingAFilterFreesThePinsItWasConnectedTo) {
  REQUIRE_FACTORIES("matroskademux", "vorbisdec");
  ComPtr<IBaseFilter> demuxer = Demuxed("sample.mkv");
  const ComPtr<IPin> audio = Pins(demuxer.Get(), PINDIR_OUTPUT)[1];
  ComPtr<IBaseFilter> decoder = Add("vorbisdec");
  ASSERT_EQ(graph->ConnectDirect(audio.Get(), Pins(decoder.Get(), PINDIR_INPUT)[0].Get(), nullptr), S_OK);
  ComPtr<IPin> peer;
  EXPECT_EQ(audio->ConnectedTo(peer), S_OK);
  EXPECT_EQ(graph->RemoveFilter(decoder.Get()), S_OK);
  EXPECT_EQ(audio->ConnectedTo(peer), VFW_E_NOT_CONNECTED);
  EXPECT_EQ(graph->RemoveFilter(decoder.Get()), VFW_E_NOT_FOUND);
  FILTER_INFO info;
  decoder->QueryFilterInfo(info);
  EXPECT_FALSE(info.pGraph);

  ComPtr<IEnumFilters> left;
  graph->EnumFilters(left);
  int count = 0;
  for (ComPtr<IBaseFilter> f; left->Next(f) == S_OK;) ++count;
  EXPECT_EQ(count, 2);
}

TEST_F(GstGraphTest, ADemuxerTriedAfterAnotherWasRemovedStillGetsItsOutputs) {
  REQUIRE_FACTORIES("matroskademux");
  ComPtr<IBaseFilter> source = Source("sample.webm");
  const ComPtr<IPin> out = Pins(source.Get(), PINDIR_OUTPUT)[0];
  for (int attempt = 0; attempt < 2; ++attempt) {
    ComPtr<IBaseFilter> demuxer = Add("matroskademux");
    ASSERT_EQ(graph->ConnectDirect(out.Get(), Pins(demuxer.Get(), PINDIR_INPUT)[0].Get(), nullptr), S_OK);
    EXPECT_EQ(Pins(demuxer.Get(), PINDIR_OUTPUT).size(), 2u) << "attempt " << attempt;
    EXPECT_EQ(graph->RemoveFilter(demuxer.Get()), S_OK);
  }
}

TEST_F(GstGraphTest, ADemuxerThatCannotReadTheFileDoesNotConnect) {
  REQUIRE_FACTORIES("matroskademux");
  ComPtr<IBaseFilter> source = Source("truncated_tracks.mkv");
  ComPtr<IBaseFilter> demuxer = Add("matroskademux");
  const ComPtr<IPin> out = Pins(source.Get(), PINDIR_OUTPUT)[0];
  EXPECT_TRUE(FAILED(graph->ConnectDirect(out.Get(), Pins(demuxer.Get(), PINDIR_INPUT)[0].Get(), nullptr)));
  ComPtr<IPin> peer;
  EXPECT_EQ(out->ConnectedTo(peer), VFW_E_NOT_CONNECTED);
}

TEST_F(GstGraphTest, MarginalRankReadsAsTheLowestMeritRenderingAsksFor) {
  REQUIRE_FACTORIES("matroskademux", "avdec_ac3");
  ComPtr<IBaseFilter> demuxer = Demuxed("audio.mka");
  const ComPtr<IPin> ac3 = Pins(demuxer.Get(), PINDIR_OUTPUT)[1];
  const std::u16string decoder = u"libav ATSC A/52A (AC-3) decoder";
  const auto has = [&](uint32_t merit) {
    const std::vector<std::u16string> names = Proposals(ac3.Get(), merit);
    return std::find(names.begin(), names.end(), decoder) != names.end();
  };
  EXPECT_TRUE(has(0x600000));
  EXPECT_FALSE(has(0x600001));
  EXPECT_FALSE(has(0x700000));
}

TEST_F(GstGraphTest, MapperProposesByRankAndAParserPassesItsFormatOn) {
  REQUIRE_FACTORIES("matroskademux", "h264parse", "avdec_h264");
  ComPtr<IBaseFilter> demuxer = Demuxed("mkvmerge_default.mkv");
  const ComPtr<IPin> video = Pins(demuxer.Get(), PINDIR_OUTPUT)[0];
  const std::vector<std::u16string> proposals = Proposals(video.Get());
  ASSERT_GE(proposals.size(), 2u);
  EXPECT_EQ(proposals[0], u"H.264 parser");  // primary + 1
  EXPECT_EQ(proposals[1], u"libav H.264 / AVC / MPEG-4 AVC / MPEG-4 part 10 decoder");

  ComPtr<IBaseFilter> parser = Add("h264parse");
  ASSERT_EQ(graph->ConnectDirect(video.Get(), Pins(parser.Get(), PINDIR_INPUT)[0].Get(), nullptr), S_OK);
  // Before any data flows the parser's output still offers H.264, not every format its
  // template allows: the same decoders are proposed.
  EXPECT_EQ(Proposals(Pins(parser.Get(), PINDIR_OUTPUT)[0].Get()), proposals);
}

}  // namespace
}  // namespace ambrel::testing

namespace ambrel::testing {
namespace {

constexpr HRESULT VFW_E_TIMEOUT = MakeHr(0x8004022E);

// Shortens the backend's waits while it lives.
class TShortTimeouts {
 public:
  explicit TShortTimeouts(const gst::Timeouts& Shorter) : FSaved(gst::CurrentTimeouts()) {
    gst::CurrentTimeouts() = Shorter;
  }
  ~TShortTimeouts() { gst::CurrentTimeouts() = FSaved; }

 private:
  gst::Timeouts FSaved;
};

// A RenderFile whose bound is spent answers that it timed out, with what it had built;
// the bound is read when the call begins. (A bound of zero is spent before any streaming
// thread could answer.)
TEST(GstTimeouts, ARenderFileAnswersATimeOutOnceItsBoundIsSpent) {
  REQUIRE_FACTORIES("matroskademux", "vorbisdec", "fakesink");
  using std::chrono::milliseconds;
  const milliseconds ample{60000};
  for (const auto& [bound, expected] : {std::pair{ample, VFW_S_PARTIAL_RENDER}, std::pair{milliseconds{0}, VFW_E_TIMEOUT},
                                        std::pair{ample, VFW_S_PARTIAL_RENDER}}) {
    const TShortTimeouts bounds({ample, ample, ample, bound});
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(CoCreateInstanceAs(Gst(), CLSID_FilterGraph, IID_IGraphBuilder, graph), S_OK);
    EXPECT_EQ(graph->RenderFile(Utf8ToWide(kData + "/missing_decoder.mkv"), nullptr), expected) << bound.count();
  }
}

// Holds back the first data a source gives for Stall, in the streaming thread that asks
// for it (the demuxer's): the demuxer can expose no output before then. The data then
// flows on, so the graph winds down as usual.
void StallSource(IBaseFilter* source, std::chrono::milliseconds stall) {
  auto* filter = dynamic_cast<gst::GstFilter*>(source);
  ASSERT_TRUE(filter);
  gst::GstRef<GstPad> pad = gst::GstRef<GstPad>::Adopt(gst_element_get_static_pad(filter->Element(), "src"));
  ASSERT_TRUE(pad);
  gst_pad_add_probe(
      pad.get(), GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_PULL | GST_PAD_PROBE_TYPE_PUSH),
      [](GstPad*, GstPadProbeInfo*, gpointer stall) {
        std::this_thread::sleep_for(std::chrono::milliseconds(GPOINTER_TO_INT(stall)));
        return GST_PAD_PROBE_REMOVE;
      },
      GINT_TO_POINTER(static_cast<int>(stall.count())), nullptr);
}

// A demuxer waits for its outputs no longer than one framework call's bound, and all the
// demuxers of a graph share one allowance: once it is spent, a demuxer that would answer
// within its own bound is not waited for. The demuxers are held back for a known time, so
// each answer is certain whatever the machine's load.
TEST(GstTimeouts, ADemuxerIsWaitedForWithinItsOwnBoundAndTheGraphsAllowance) {
  REQUIRE_FACTORIES("matroskademux");
  using std::chrono::milliseconds;
  const milliseconds ample{30000};
  struct Case {
    const char* what;
    milliseconds preroll, allowance;
    std::vector<std::pair<milliseconds, HRESULT>> demuxers;  // held back for, answer
  };
  const Case cases[] = {
      {"within the bound", ample, ample, {{milliseconds{300}, S_OK}}},
      {"past its own bound", milliseconds{200}, ample, {{milliseconds{1500}, VFW_E_TIMEOUT}}},
      {"past the graph's allowance", ample, milliseconds{1000},
       {{milliseconds{1500}, VFW_E_TIMEOUT}, {milliseconds{600}, VFW_E_TIMEOUT}}},
  };
  for (const Case& c : cases) {
    const TShortTimeouts bounds({c.preroll, c.allowance, ample, ample});
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(CoCreateInstanceAs(Gst(), CLSID_FilterGraph, IID_IGraphBuilder, graph), S_OK);
    for (const auto& [stall, expected] : c.demuxers) {
      ComPtr<IBaseFilter> source;
      ASSERT_TRUE(SUCCEEDED(graph->AddSourceFilter(Utf8ToWide(kData + "/sample.mkv"), nullptr, source)));
      StallSource(source.Get(), stall);
      ComPtr<IBaseFilter> demuxer;
      FactoryMoniker("matroskademux")->BindToObject(nullptr, demuxer);
      ASSERT_TRUE(SUCCEEDED(graph->AddFilter(demuxer.Get(), u"matroskademux")));
      EXPECT_EQ(graph->ConnectDirect(Pins(source.Get(), PINDIR_OUTPUT)[0].Get(),
                                     Pins(demuxer.Get(), PINDIR_INPUT)[0].Get(), nullptr),
                expected)
          << c.what << ", held back " << stall.count() << " ms";
    }
  }
}

}  // namespace
}  // namespace ambrel::testing
