// The pin and filter helpers over world objects: descriptions, directions, counts and
// the upstream search.
#include <gtest/gtest.h>

#include "com/BoundedReads.h"
#include "dshow/DShowHelper.h"
#include "tests/dshow/WorldRun.h"

namespace ambrel {
namespace {

using namespace media;

struct Graph {
  std::unique_ptr<IMediaFramework> fw;
  ComPtr<IGraphBuilder> graph;
  explicit Graph(const std::string& json) : fw(testing::World(json)) {
    CoCreateInstanceAs(*fw, CLSID_FilterGraph, IID_IGraphBuilder, graph);
  }
  ComPtr<IBaseFilter> Add(const std::u16string& clsid, const std::u16string& name) {
    ComPtr<IMoniker> moniker;
    ComPtr<IBaseFilter> filter;
    fw->MkParseDisplayName(nullptr, u"@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\" + clsid, moniker);
    moniker->BindToObject(nullptr, filter);
    graph->AddFilter(filter.Get(), name);
    return filter;
  }
};

ComPtr<IPin> PinAt(IBaseFilter* filter, size_t index) {
  ComPtr<IEnumPins> pins;
  filter->EnumPins(pins);
  ComPtr<IPin> pin;
  for (size_t i = 0; i <= index; ++i) pins->Next(pin);
  return pin;
}

// Report text as the HTML writer shows it (without the line end it adds).
std::string Html(const std::string& text) {
  THTMLWriter html;
  html.WriteRaw(text);
  const std::string out = html.GetText();
  return out.substr(0, out.size() - 2);
}

const char kWorld[] = R"({"filters": [
  {"id": "a", "clsid": "{60000000-0000-0000-0000-00000000000A}", "pins": [{"name": "out", "dir": "out", "types": ["V/X"]}]},
  {"id": "b", "clsid": "{60000000-0000-0000-0000-00000000000B}", "pins": [{"name": "out", "dir": "out", "types": ["V/X"]}]},
  {"id": "mix", "clsid": "{60000000-0000-0000-0000-00000000000C}",
   "pins": [{"name": "in1", "dir": "in", "types": ["V/X"]}, {"name": "in2", "dir": "in", "types": ["V/X"]},
            {"name": "out", "dir": "out", "types": ["V/X", "V/Y", "V/Z"]}, {"name": "odd", "dir": "out", "dir_fails": true},
            {"name": "hidden", "dir": "out", "query_fails": true, "enum_types_hr": "E_FAIL"}]},
  {"id": "mute", "clsid": "{60000000-0000-0000-0000-00000000000D}", "query_info_fails": true, "enum_pins_hr": "E_FAIL"}]})";

TEST(PinHelpers, TheUpstreamSearchFollowsEveryConnectedInput) {
  Graph g(kWorld);
  auto a = g.Add(u"{60000000-0000-0000-0000-00000000000A}", u"A");
  auto b = g.Add(u"{60000000-0000-0000-0000-00000000000B}", u"B");
  auto mix = g.Add(u"{60000000-0000-0000-0000-00000000000C}", u"Mix");
  ASSERT_EQ(g.graph->ConnectDirect(PinAt(a.Get(), 0).Get(), PinAt(mix.Get(), 0).Get(), nullptr), S_OK);
  ASSERT_EQ(g.graph->ConnectDirect(PinAt(b.Get(), 0).Get(), PinAt(mix.Get(), 1).Get(), nullptr), S_OK);
  const auto out = PinAt(mix.Get(), 2);
  GUID cls;
  for (const char16_t* text : {u"{60000000-0000-0000-0000-00000000000A}", u"{60000000-0000-0000-0000-00000000000B}",
                               u"{60000000-0000-0000-0000-00000000000C}"}) {
    CLSIDFromString(std::u16string_view(text), cls);
    EXPECT_TRUE(IsClassUpstream(out.Get(), cls));
  }
  CLSIDFromString(std::u16string_view(u"{60000000-0000-0000-0000-00000000000D}"), cls);
  EXPECT_FALSE(IsClassUpstream(out.Get(), cls));
  CLSIDFromString(std::u16string_view(u"{60000000-0000-0000-0000-00000000000B}"), cls);
  EXPECT_FALSE(IsClassUpstream(PinAt(a.Get(), 0).Get(), cls));
  EXPECT_FALSE(IsClassUpstream(PinAt(mix.Get(), 4).Get(), cls));  // QueryPinInfo fails
}

TEST(PinHelpers, DirectionsCountsAndDescriptions) {
  Graph g(kWorld);
  auto mix = g.Add(u"{60000000-0000-0000-0000-00000000000C}", u"<Mix>");
  auto mute = g.Add(u"{60000000-0000-0000-0000-00000000000D}", u"Mute");
  const auto odd = PinAt(mix.Get(), 3);
  EXPECT_FALSE(IsInputPin(odd.Get()));
  EXPECT_FALSE(IsOutputPin(odd.Get()));
  EXPECT_EQ(CountPins(mix.Get(), PINDIR_INPUT), 2);
  EXPECT_EQ(CountPins(mix.Get(), PINDIR_OUTPUT), 2);
  EXPECT_EQ(CountPins(mute.Get(), PINDIR_OUTPUT), 0);
  EXPECT_EQ(CountMediaTypes(PinAt(mix.Get(), 2).Get()), 3);
  EXPECT_EQ(CountMediaTypes(PinAt(mix.Get(), 4).Get()), 0);
  EXPECT_FALSE(IsPinConnected(PinAt(mix.Get(), 0).Get()));
  EXPECT_EQ(FilterName(mix.Get()), "<Mix>");
  EXPECT_EQ(FilterName(mute.Get()), std::nullopt);
  EXPECT_EQ(PinName(PinAt(mix.Get(), 0).Get()), "in1");
  EXPECT_EQ(PinName(PinAt(mix.Get(), 2).Get()), "out");
  EXPECT_EQ(PinName(PinAt(mix.Get(), 4).Get()), std::nullopt);
}

TEST(PinHelpers, OnlyTheEnginesOwnNamesGetAColourOfTheirOwn) {
  struct Case {
    TGraphFilterName joined;
    const char* html;
  };
  const std::string blue = "<font color=\"#0067AB\">";
  for (const Case& c : {Case{{"A<b>", true, " 0001"}, ")<font color=\"#0067AB\"><font color=\"#0067AB\">A&lt;b&gt;</font> 0001</font>"},
                        Case{{blue + "A</font>", false, ""}, ")<font color=\"#0067AB\">&lt;font color=&quot;#0067AB&quot;&gt;A&lt;/font&gt;</font>"},
                        Case{{std::nullopt, false, ""}, ")"}}) {
    TRenderStep step(TRenderStepKind::Connected);
    step.Pin = "in";
    step.Joined = c.joined;
    const std::string html = Html(RenderStepLine(step));
    EXPECT_NE(html.find(std::string(c.html) + "</font>"), std::string::npos) << html;
  }
}

// The system's objects are read within bounds: a pin or filter name that fills its fixed
// buffer without a terminator, and an enumerator that never says it is done.
TEST(PinHelpers, SystemNamesAndEnumeratorsAreReadWithinBounds) {
  struct {
    char16_t name[128];
    char16_t after[4] = {u'!', u'!', u'!', u'!'};
  } full;
  std::fill(std::begin(full.name), std::end(full.name), u'x');
  EXPECT_EQ(FixedText(full.name), std::u16string(128, u'x'));
  const wchar_t shorter[8] = L"pin\0out";
  EXPECT_EQ(FixedText(shorter), u"pin");

  // Next(1, &item, nullptr) as the system's enumerators answer it: endless, or `left` items.
  struct TEnum {
    int left;
    int item = 0;
    HRESULT Next(unsigned long, int** out, unsigned long*) {
      *out = left-- != 0 ? &item : nullptr;
      return *out ? S_OK : S_FALSE;
    }
  };
  for (const auto& [left, read] : {std::pair{-1, kMaxEnumItems}, std::pair{3, size_t{3}}, std::pair{0, size_t{0}}}) {
    TEnum e{left};
    size_t taken = 0;
    ReadEnum<int>(&e, [&](int*) { ++taken; });
    EXPECT_EQ(taken, read) << left;
  }
}

TEST(Engine, APinWithoutMediaTypesStillAsksTheMapper) {
  auto fw = testing::World(R"({"sources": [{"filter": "src"}], "filters": [
      {"id": "src", "name": "S", "categories": [], "mapper": false, "pins": [{"name": "O", "dir": "out"}]},
      {"id": "any", "name": "Anything", "mapper_types": []},
      {"id": "out", "name": "Output only", "pins": [{"name": "O", "dir": "out", "types": ["V/X"]}]}]})");
  const std::string all = testing::Joined(testing::Render(*fw, "f.mkv").Lines);
  EXPECT_NE(all.find("> Filters matching mediatype : Anything\n"), std::string::npos);
  EXPECT_NE(all.find("> Trying connection to Anything :\n"), std::string::npos);
}

}  // namespace
}  // namespace ambrel
