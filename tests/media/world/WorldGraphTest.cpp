// The scripted world's graphs, filters, pins, mapper and monikers.
#include <gtest/gtest.h>

#include "media/world/MediaWorld.h"

namespace ambrel::media {
namespace {

struct Machine {
  std::unique_ptr<IMediaFramework> fw;
  ComPtr<IGraphBuilder> graph;

  explicit Machine(const std::string& json) {
    TMediaWorldLoad load = LoadMediaWorldText(json);
    EXPECT_TRUE(load.Framework) << load.Error;
    fw = std::move(load.Framework);
    if (fw) {
      EXPECT_EQ(CoCreateInstanceAs(*fw, CLSID_FilterGraph, IID_IGraphBuilder, graph), S_OK);
    }
  }

  ComPtr<IBaseFilter> Instance(const std::u16string& clsid) {
    ComPtr<IMoniker> moniker;
    ComPtr<IBaseFilter> filter;
    fw->MkParseDisplayName(nullptr, u"@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\" + clsid, moniker);
    if (moniker) moniker->BindToObject(nullptr, filter);
    return filter;
  }
};

std::vector<ComPtr<IPin>> Pins(IBaseFilter* filter) {
  std::vector<ComPtr<IPin>> pins;
  ComPtr<IEnumPins> e;
  if (FAILED(filter->EnumPins(e))) return pins;
  ComPtr<IPin> pin;
  while (e->Next(pin) == S_OK) pins.push_back(pin);
  return pins;
}

std::u16string Name(IBaseFilter* filter) {
  FILTER_INFO info;
  filter->QueryFilterInfo(info);
  return info.achName;
}

std::vector<std::u16string> Names(IGraphBuilder* graph) {
  std::vector<std::u16string> names;
  ComPtr<IEnumFilters> e;
  graph->EnumFilters(e);
  ComPtr<IBaseFilter> f;
  while (e && e->Next(f) == S_OK) names.push_back(Name(f.Get()));
  return names;
}

const char kFilters[] = R"("filters": [
    {"id": "a", "clsid": "{50000000-0000-0000-0000-00000000000A}",
     "pins": [{"name": "in", "dir": "in", "types": ["V/*"]}, {"name": "out", "dir": "out", "types": ["V/X"]},
              {"name": "late", "dir": "out", "types": ["V/X"], "on_connect": true}]},
    {"id": "b", "clsid": "{50000000-0000-0000-0000-00000000000B}",
     "pins": [{"name": "in", "dir": "in", "types": ["V/X", "A/Y"]}, {"name": "out", "dir": "out", "types": ["V/X"]},
              {"name": "none", "dir": "out"}, {"name": "audio", "dir": "out", "types": ["A/Z"]}]},
    {"id": "c", "clsid": "{50000000-0000-0000-0000-00000000000C}", "add_hr": "S_FALSE",
     "pins": [{"name": "strict", "dir": "in", "types": ["v/X"]},
              {"name": "forced", "dir": "in", "types": ["*/*"], "connect_hr": "VFW_E_TYPE_NOT_ACCEPTED"},
              {"name": "soft", "dir": "in", "types": ["*/*"], "connect_hr": "S_FALSE"}]}])";

TEST(WorldGraph, ConnectDirectChecksInOrder) {
  Machine m(std::string("{") + kFilters + "}");
  auto a = m.Instance(u"{50000000-0000-0000-0000-00000000000a}");
  auto b = m.Instance(u"{50000000-0000-0000-0000-00000000000B}");
  auto c = m.Instance(u"{50000000-0000-0000-0000-00000000000C}");
  auto pa = Pins(a.Get()), pb = Pins(b.Get()), pc = Pins(c.Get());
  ASSERT_EQ(pa.size(), 2u);  // "late" waits for a connected input
  EXPECT_EQ(m.graph->ConnectDirect(pa[1].Get(), pb[0].Get(), nullptr), VFW_E_NOT_IN_GRAPH);
  EXPECT_EQ(m.graph->AddFilter(a.Get(), u"A"), S_OK);
  EXPECT_EQ(m.graph->AddFilter(b.Get(), u"B"), S_OK);
  EXPECT_EQ(m.graph->AddFilter(c.Get(), u"C"), S_FALSE);
  EXPECT_EQ(m.graph->AddFilter(c.Get(), u"C again"), VFW_E_DUPLICATE_NAME);
  EXPECT_EQ(m.graph->ConnectDirect(pb[0].Get(), pa[0].Get(), nullptr), VFW_E_INVALID_DIRECTION);
  EXPECT_EQ(m.graph->ConnectDirect(pa[1].Get(), pa[0].Get(), nullptr), VFW_E_CIRCULAR_GRAPH);
  EXPECT_EQ(m.graph->ConnectDirect(pb[2].Get(), pc[1].Get(), nullptr), VFW_E_NO_TYPES);
  EXPECT_EQ(m.graph->ConnectDirect(pb[1].Get(), pc[0].Get(), nullptr), VFW_E_NO_ACCEPTABLE_TYPES);
  EXPECT_EQ(m.graph->ConnectDirect(pb[1].Get(), pc[1].Get(), nullptr), VFW_E_TYPE_NOT_ACCEPTED);
  EXPECT_EQ(m.graph->ConnectDirect(pb[1].Get(), pc[2].Get(), nullptr), S_FALSE);
  EXPECT_EQ(m.graph->ConnectDirect(pb[1].Get(), pc[2].Get(), nullptr), VFW_E_ALREADY_CONNECTED);
  EXPECT_EQ(m.graph->ConnectDirect(pa[1].Get(), pb[0].Get(), nullptr), S_OK);
  // b's audio output back into a would close a loop a -> b -> a.
  EXPECT_EQ(m.graph->ConnectDirect(pb[3].Get(), pa[0].Get(), nullptr), VFW_E_CIRCULAR_GRAPH);
  // a's input is free, so its on_connect output is still hidden.
  EXPECT_EQ(Pins(a.Get()).size(), 2u);
  ComPtr<IPin> peer;
  EXPECT_EQ(pb[0]->ConnectedTo(peer), S_OK);
  EXPECT_EQ(peer.Get(), pa[1].Get());
  // Removing b frees both sides of its connections.
  EXPECT_EQ(m.graph->RemoveFilter(b.Get()), S_OK);
  EXPECT_EQ(m.graph->RemoveFilter(b.Get()), VFW_E_NOT_FOUND);
  EXPECT_EQ(pa[1]->ConnectedTo(peer), VFW_E_NOT_CONNECTED);
  EXPECT_FALSE(peer);
  EXPECT_EQ(pc[2]->ConnectedTo(peer), VFW_E_NOT_CONNECTED);
  EXPECT_EQ(Name(b.Get()), u"B");
  EXPECT_EQ(m.graph->AddFilter(b.Get(), u"B"), S_OK);
  EXPECT_EQ(Names(m.graph.Get()), (std::vector<std::u16string>{u"A", u"C", u"B"}));
}

TEST(WorldGraph, OnConnectPinsAppearWithTheirInputAndHideAgainUnlessConnected) {
  Machine m(std::string("{") + kFilters + "}");
  auto up = m.Instance(u"{50000000-0000-0000-0000-00000000000B}");
  auto a = m.Instance(u"{50000000-0000-0000-0000-00000000000A}");
  auto down = m.Instance(u"{50000000-0000-0000-0000-00000000000B}");
  for (auto* f : {up.Get(), a.Get(), down.Get()}) m.graph->AddFilter(f, u"");
  ASSERT_EQ(m.graph->ConnectDirect(Pins(up.Get())[1].Get(), Pins(a.Get())[0].Get(), nullptr), S_OK);
  auto listed = Pins(a.Get());
  ASSERT_EQ(listed.size(), 3u);
  ASSERT_EQ(m.graph->ConnectDirect(listed[2].Get(), Pins(down.Get())[0].Get(), nullptr), S_OK);
  m.graph->RemoveFilter(up.Get());
  EXPECT_EQ(Pins(a.Get()).size(), 3u);  // "late" stays listed while connected
  m.graph->RemoveFilter(down.Get());
  EXPECT_EQ(Pins(a.Get()).size(), 2u);
}

TEST(WorldGraph, NamesInAGraphAreKeptOrSuffixedAndCutWhenReadBack) {
  Machine keep(std::string(R"({"name_chars": 3, )") + kFilters + "}");
  auto k1 = keep.Instance(u"{50000000-0000-0000-0000-00000000000A}");
  auto k2 = keep.Instance(u"{50000000-0000-0000-0000-00000000000A}");
  EXPECT_EQ(keep.graph->AddFilter(k1.Get(), u"same"), S_OK);
  EXPECT_EQ(keep.graph->AddFilter(k2.Get(), u"same"), S_OK);
  EXPECT_EQ(Name(k2.Get()), u"sam");
  Machine suffix(std::string(R"({"duplicate_names": "suffix", "graph_order": "reverse", )") + kFilters + "}");
  std::vector<ComPtr<IBaseFilter>> filters;
  for (int i = 0; i < 3; ++i) filters.push_back(suffix.Instance(u"{50000000-0000-0000-0000-00000000000A}"));
  EXPECT_EQ(suffix.graph->AddFilter(filters[0].Get(), u"x"), S_OK);
  EXPECT_EQ(suffix.graph->AddFilter(filters[1].Get(), u"x"), VFW_S_DUPLICATE_NAME);
  EXPECT_EQ(suffix.graph->AddFilter(filters[2].Get(), u"x"), VFW_S_DUPLICATE_NAME);
  EXPECT_EQ(Names(suffix.graph.Get()), (std::vector<std::u16string>{u"x 0002", u"x 0001", u"x"}));
  // The cut can leave half of a surrogate pair, which the report shows as U+FFFD.
  Machine cut(std::string(R"({"name_chars": 2, )") + kFilters + "}");
  auto f = cut.Instance(u"{50000000-0000-0000-0000-00000000000A}");
  cut.graph->AddFilter(f.Get(), u"a\xD83C\xDFB5");
  EXPECT_EQ(WideToUtf8(Name(f.Get())), "a\xEF\xBF\xBD");
}

TEST(WorldGraph, SourceAndRenderRulesGoByExtension) {
  Machine m(std::string(R"({"sources": [{"ext": "..MKV", "filter": "a", "name": ""},
                                         {"ext": "", "filter": "b"},
                                         {"ext": "avi", "hr": "S_FALSE", "filter": "b"},
                                         {"ext": "wmv", "hr": "E_ACCESSDENIED"}],
                             "render_file": [{"ext": "avi", "hr": "VFW_E_CANNOT_RENDER"}],
                             "unknown_source_hr": "S_OK", )") +
            kFilters + "}");
  ComPtr<IBaseFilter> source;
  EXPECT_EQ(m.graph->AddSourceFilter(u"C:\\dir.v1\\movie.Mkv", nullptr, source), S_OK);
  ASSERT_TRUE(source);
  EXPECT_EQ(Name(source.Get()), u"");
  EXPECT_EQ(m.graph->AddSourceFilter(u"/media/dir.x/README", nullptr, source), S_OK);
  EXPECT_EQ(Name(source.Get()), u"/media/dir.x/README");
  EXPECT_EQ(m.graph->AddSourceFilter(u"clip.avi", nullptr, source), S_FALSE);
  EXPECT_TRUE(source);
  EXPECT_EQ(m.graph->AddSourceFilter(u"clip.wmv", nullptr, source), E_ACCESSDENIED);
  EXPECT_FALSE(source);
  EXPECT_EQ(m.graph->AddSourceFilter(u"clip.ogg", nullptr, source), S_OK);
  EXPECT_FALSE(source);
  EXPECT_EQ(m.graph->RenderFile(u"clip.avi", nullptr), VFW_E_CANNOT_RENDER);
  EXPECT_EQ(m.graph->RenderFile(u"clip.mkv", nullptr), S_OK);
  EXPECT_EQ(m.graph->RenderFile(u"clip.wmv", nullptr), E_ACCESSDENIED);
  EXPECT_EQ(m.graph->RenderFile(u"clip.ogg", nullptr), S_OK);
  EXPECT_EQ(Names(m.graph.Get()).size(), 3u);  // RenderFile adds nothing
}

std::vector<std::string> Matching(IMediaFramework& fw, std::vector<GUID> pairs, uint32_t merit = 0x600000) {
  ComPtr<IFilterMapper2> mapper;
  CoCreateInstanceAs(fw, CLSID_FilterMapper2, IID_IFilterMapper2, mapper);
  ComPtr<IEnumMoniker> e;
  mapper->EnumMatchingFilters(e, 0, false, merit, true, static_cast<uint32_t>(pairs.size() / 2),
                              pairs.empty() ? nullptr : pairs.data(), nullptr, nullptr, false, false, 0, nullptr, nullptr,
                              nullptr);
  std::vector<std::string> ids;
  ComPtr<IMoniker> moniker;
  while (e && e->Next(moniker) == S_OK) {
    ComPtr<IPropertyBag> bag;
    std::u16string name;
    moniker->BindToStorage(nullptr, bag);
    if (bag) bag->Read(u"FriendlyName", name);
    ids.push_back(WideToUtf8(name));
  }
  return ids;
}

TEST(WorldMapper, MatchesRegisteredInputTypesAndSortsByMerit) {
  const char* world = R"({"mapper_zero_pairs": "%s", "filters": [
    {"id": "out", "name": "out", "pins": [{"dir": "out", "types": ["V/X"]}]},
    {"id": "low", "name": "low", "merit": 6291456, "pins": [{"dir": "in", "types": ["V/X"]}]},
    {"id": "high", "name": "high", "merit": "0x800000", "mapper_types": ["*/X"]},
    {"id": "wide", "name": "wide", "mapper_types": ["{00000000-0000-0000-0000-000000000000}/*"], "pins": [{"dir": "in", "types": ["Q/Q"]}]},
    {"id": "off", "name": "off", "mapper": false, "pins": [{"dir": "in", "types": ["V/X"]}]},
    {"id": "none", "name": "none", "mapper_types": []},
    {"id": "neg", "name": "neg", "merit": -1, "pins": [{"dir": "in", "types": ["V/X"]}]}]})";
  char json[2048];
  std::snprintf(json, sizeof json, world, "any");
  auto fw = LoadMediaWorldText(json).Framework;
  ASSERT_TRUE(fw);
  // The pin's types travel as GUIDs: read them from an instance's output pin.
  ComPtr<IMoniker> moniker;
  ComPtr<ICreateDevEnum> devEnum;
  CoCreateInstanceAs(*fw, CLSID_SystemDeviceEnum, IID_ICreateDevEnum, devEnum);
  ComPtr<IEnumMoniker> all;
  ASSERT_EQ(devEnum->CreateClassEnumerator(CLSID_LegacyAmFilterCategory, all, 0), S_OK);
  all->Next(moniker);
  ComPtr<IBaseFilter> out;
  moniker->BindToObject(nullptr, out);
  ComPtr<IEnumMediaTypes> types;
  Pins(out.Get())[0]->EnumMediaTypes(types);
  std::unique_ptr<AM_MEDIA_TYPE> vx;
  ASSERT_EQ(types->Next(vx), S_OK);
  EXPECT_EQ(Matching(*fw, {vx->majortype, vx->subtype}), (std::vector<std::string>{"high", "low", "wide"}));
  EXPECT_EQ(Matching(*fw, {vx->majortype, vx->subtype}, 0x700000), (std::vector<std::string>{"high"}));
  EXPECT_EQ(Matching(*fw, {GUID_NULL, GUID_NULL}), (std::vector<std::string>{"high", "low", "wide"}));
  EXPECT_EQ(Matching(*fw, {}), (std::vector<std::string>{"high", "low", "wide", "none"}));
  std::snprintf(json, sizeof json, world, "none");
  auto strict = LoadMediaWorldText(json).Framework;
  EXPECT_TRUE(Matching(*strict, {}).empty());
  ComPtr<IEnumMoniker> empty;
  EXPECT_EQ(devEnum->CreateClassEnumerator(CLSID_AudioRendererCategory, empty, 0), S_FALSE);
  EXPECT_FALSE(empty);
}

TEST(WorldMonikers, DisplayNamesFindLegacyInstancesWithoutRegardToCase) {
  auto fw = LoadMediaWorldText(R"({"filters": [
    {"id": "x", "name": "X", "clsid": "{50000000-0000-0000-0000-00000000000A}", "categories": ["audio_renderer"]},
    {"id": "y", "name": "Y", "clsid": "{50000000-0000-0000-0000-00000000000A}"},
    {"id": "z", "name": "Z", "instance": "Stra\u00dfe \u00c9"}]})").Framework;
  ASSERT_TRUE(fw);
  const auto find = [&](const std::u16string& name) {
    ComPtr<IMoniker> moniker;
    const HRESULT hr = fw->MkParseDisplayName(nullptr, name, moniker);
    std::u16string found;
    ComPtr<IPropertyBag> bag;
    if (moniker && SUCCEEDED(moniker->BindToStorage(nullptr, bag))) bag->Read(u"FriendlyName", found);
    return std::to_string(hr) + WideToUtf8(found);
  };
  EXPECT_EQ(find(u"@DEVICE:SW:{083863f1-70de-11d0-bd40-00a0c911ce86}\\{50000000-0000-0000-0000-00000000000a}"), "0Y");
  EXPECT_EQ(find(u"@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\stra\u00dfe \u00e9"), "0Z");
  EXPECT_EQ(find(u"@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\"), std::to_string(MK_E_SYNTAX));
  EXPECT_EQ(find(u"@device:cm:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\Z"), std::to_string(MK_E_SYNTAX));
}

TEST(WorldRot, CookiesCountUpAndNamesRepeatWithAWarning) {
  auto fw = LoadMediaWorldText("{}").Framework;
  ComPtr<IRunningObjectTable> rot;
  ASSERT_EQ(fw->GetRunningObjectTable(0, rot), S_OK);
  ComPtr<IMoniker> name;
  fw->CreateItemMoniker(u"!", u"graph", name);
  uint32_t first = 0, second = 0;
  EXPECT_EQ(rot->Register(0, nullptr, name.Get(), first), S_OK);
  EXPECT_EQ(rot->Register(0, nullptr, name.Get(), second), MK_S_MONIKERALREADYREGISTERED);
  EXPECT_EQ(first, 1u);
  EXPECT_EQ(second, 2u);
  EXPECT_EQ(rot->Revoke(first), S_OK);
  EXPECT_EQ(rot->Revoke(first), E_INVALIDARG);
  EXPECT_EQ(rot->Revoke(0), E_INVALIDARG);
  auto failing = LoadMediaWorldText(R"({"fail": {"rot_register": "E_FAIL"}})").Framework;
  failing->GetRunningObjectTable(0, rot);
  failing->CreateItemMoniker(u"!", u"graph", name);
  EXPECT_EQ(rot->Register(0, nullptr, name.Get(), first), E_FAIL);
  EXPECT_EQ(first, 0u);
}

}  // namespace
}  // namespace ambrel::media
