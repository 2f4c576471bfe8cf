// The scripted world: what the loader refuses, how values are read, and how the world's
// objects answer.
#include <gtest/gtest.h>

#include "media/world/MediaWorld.h"

namespace ambrel::media {
namespace {

TMediaWorldLoad Load(const std::string& json) { return LoadMediaWorldText(json); }

std::unique_ptr<IMediaFramework> World(const std::string& json) {
  TMediaWorldLoad load = Load(json);
  EXPECT_TRUE(load.Framework) << load.Error;
  return std::move(load.Framework);
}

std::string ErrorText(IMediaFramework& fw, HRESULT hr, uint32_t size = 160) {
  std::u16string buffer(size, u'\0');
  const uint32_t n = fw.AMGetErrorTextW(hr, buffer.data(), size);
  return std::to_string(n) + ":" + WideToUtf8(buffer.substr(0, buffer.find(u'\0')));
}

TEST(WorldLoader, RefusesWhatTheFormatDoesNotAllowAndSaysWhere) {
  struct Case {
    const char* json;
    const char* mentions;
  };
  const Case cases[] = {
      {"[]", "top-level"},
      {"\xEF\xBB\xBF{}", "byte-order mark"},
      {R"({"colour": 1})", "\"colour\""},
      {R"({"pid": 1.5})", "\"pid\""},
      {R"({"pid": "12a"})", "\"pid\""},
      {R"({"pid": true})", "\"pid\""},
      {R"({"pid": null})", "\"pid\""},
      {R"({"pid": 9223372036854775808})", "\"pid\""},
      {R"({"pid": "0x8000000000000000"})", "\"pid\""},
      {R"({"graph_order": "random"})", "\"graph_order\""},
      {R"({"fail": {"graph": "E_NOPE"}})", "\"graph\""},
      {R"({"fail": {"render": 0}})", "\"render\""},
      {R"({"servers": {"not-a-guid": "x"}})", "not-a-guid"},
      {R"({"files": {"a": {"version": "1.2.3"}}})", "\"version\""},
      {R"({"files": {"a": {"version": "1.2.3.65536"}}})", "\"version\""},
      {R"({"files": {"a": {"version": "1.2.3.+4"}}})", "\"version\""},
      {R"({"filters": [{"name": "A", "colour": 1}]})", "filters[0] (id \"A\")"},
      {R"({"filters": [{"id": "x"}, {"id": "y", "merit": []}]})", "filters[1] (id \"y\"): key \"merit\""},
      {R"({"filters": [{"id": 5}]})", "filters[0]: key \"id\""},
      {R"({"filters": [{"name": "A"}, {"name": "A"}]})", "duplicate id"},
      {R"({"filters": [{"id": "a", "class": "{1-2}"}]})", "\"class\""},
      {R"({"filters": [{"id": "a", "categories": ["video"]}]})", "\"categories\""},
      {R"({"filters": [{"id": "a", "pins": [{"name": "p"}]}]})", "\"dir\""},
      {R"({"filters": [{"id": "a", "pins": [{"dir": "both"}]}]})", "\"dir\""},
      {R"({"filters": [{"id": "a", "pins": [{"dir": "in", "types": ["AudioPCM"]}]}]})", "\"types\""},
      {R"({"filters": [{"id": "a", "pins": [{"dir": "in", "types": [["A"]]}]}]})", "\"types\""},
      {R"({"filters": [{"id": "a", "instance": 3}]})", "\"instance\""},
      {R"({"sources": [{"ext": "mkv"}]})", "sources[0]"},
      {R"({"sources": [{"filter": "nobody"}]})", "nobody"},
      {R"({"ticks": {"values": [1, "x"]}})", "\"values\""},
      {R"({"filters": [{"id": "a", "bag": 1}]})", "\"bag\""},
      {"{\"file\": ", "JSON"},
  };
  for (const Case& c : cases) {
    const TMediaWorldLoad load = Load(c.json);
    EXPECT_FALSE(load.Framework) << c.json;
    EXPECT_NE(load.Error.find(c.mentions), std::string::npos) << c.json << " -> " << load.Error;
  }
}

TEST(WorldLoader, AcceptsEveryNotationOfItsValues) {
  auto fw = World(R"({
    "comment": {"anything": [1, 2]}, "expect": "ignored",
    "pid": "0X1f", "graph_address": -1,
    "fail": {"graph": null, "mapper": 2147500037, "rot": "-2147467259", "bind_ctx": "0x80004005"},
    "filters": [{"id": "a", "comment": 3, "bag": null, "mapper": null, "name": null, "version": null,
                 "pins": [{"dir": "in", "name": null, "connect_hr": null, "types": ["a/b/c", ["x", "y"], "/"]}]}],
    "error_texts": {"E_FAIL": "first", "0x80004005": "second"}
  })");
  ASSERT_TRUE(fw);
  EXPECT_EQ(fw->GetCurrentProcessId(), 0x1Fu);
  ComPtr<IUnknown> object;
  EXPECT_EQ(fw->CoCreateInstance(CLSID_FilterGraph, IID_IGraphBuilder, object), S_OK);
  EXPECT_EQ(fw->CoCreateInstance(CLSID_FilterMapper2, IID_IFilterMapper2, object), E_FAIL);
  EXPECT_FALSE(object);
  ComPtr<IRunningObjectTable> rot;
  EXPECT_EQ(fw->GetRunningObjectTable(0, rot), E_FAIL);
  ComPtr<IBindCtx> ctx;
  EXPECT_EQ(fw->CreateBindCtx(0, ctx), E_FAIL);
  EXPECT_EQ(ErrorText(*fw, E_FAIL), "6:second");
}

TEST(WorldLoader, DuplicateKeysKeepTheLastValue) {
  auto fw = World(R"({"pid": 1, "pid": 2})");
  EXPECT_EQ(fw->GetCurrentProcessId(), 2u);
}

TEST(WorldLoader, LoneSurrogatesSurviveAsSingleUnits) {
  auto fw = World(R"({"sources": [{"filter": "s", "name": "a\uD800b\uFDD0\uD83C\uDFB5"}],
                      "filters": [{"id": "s"}]})");
  ComPtr<IUnknown> object;
  fw->CoCreateInstance(CLSID_FilterGraph, IID_IGraphBuilder, object);
  auto* graph = dynamic_cast<IGraphBuilder*>(object.Get());
  ComPtr<IBaseFilter> source;
  ASSERT_EQ(graph->AddSourceFilter(u"f.mkv", nullptr, source), S_OK);
  FILTER_INFO info;
  source->QueryFilterInfo(info);
  EXPECT_EQ(info.achName, std::u16string(u"a\xD800" u"b\xFDD0\xD83C\xDFB5"));
}

TEST(WorldCalls, ErrorTextsAreCutToTheBufferAndCanBeRemoved) {
  auto fw = World(R"({"error_texts": {"S_OK": "zero", "E_FAIL": null, "0x12345678": "\uD83C\uDFB5abc"}})");
  EXPECT_EQ(ErrorText(*fw, 0), "4:zero");
  EXPECT_EQ(ErrorText(*fw, E_FAIL), "0:");
  EXPECT_EQ(ErrorText(*fw, 0x12345678, 3), "2:\xF0\x9F\x8E\xB5" "a");
  EXPECT_EQ(ErrorText(*fw, REGDB_E_CLASSNOTREG), "22:Class not registered\r\n");
  EXPECT_EQ(ErrorText(*fw, VFW_E_UNSUPPORTED_STREAM), "56:Cannot play back the file.  The format is not supported.");
}

TEST(WorldCalls, TheTickCounterFollowsItsScript) {
  auto wrap = World(R"({"ticks": {"start": 4294967290, "step": 3}})");
  EXPECT_EQ(wrap->GetTickCount(), 4294967290u);
  EXPECT_EQ(wrap->GetTickCount(), 4294967293u);
  EXPECT_EQ(wrap->GetTickCount(), 0u);
  auto listed = World(R"({"ticks": {"values": [5, 9], "step": 10}})");
  for (uint32_t expected : {5u, 9u, 19u, 29u}) EXPECT_EQ(listed->GetTickCount(), expected);
  auto plain = World("{}");
  EXPECT_EQ(plain->GetTickCount(), 1000000u);
  EXPECT_EQ(plain->GetTickCount(), 1000001u);
}

TEST(WorldCalls, RegistryAndFilesFollowTheirOrderOfRules) {
  auto fw = World(R"({
    "filters": [
      {"id": "a", "clsid": "{10000000-0000-0000-0000-00000000000a}", "server": "first.ax", "version": "1.2.3.4"},
      {"id": "b", "clsid": "{10000000-0000-0000-0000-00000000000A}", "server": "second.ax", "server_exists": false},
      {"id": "c", "clsid": "not a guid", "server": "third.ax"}],
    "servers": {"{10000000-0000-0000-0000-00000000000B}": "", "{10000000-0000-0000-0000-00000000000A}": null},
    "files": {"third.ax": {"exists": false, "version": "0.0.0.1"}}
  })");
  std::u16string value;
  EXPECT_EQ(fw->RegQueryDefaultValue(u"Software\\Classes\\CLSID\\{10000000-0000-0000-0000-00000000000A}\\InprocServer32",
                                     value),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(fw->RegQueryDefaultValue(u"Software\\Classes\\CLSID\\{10000000-0000-0000-0000-00000000000b}\\InprocServer32",
                                     value),
            ERROR_SUCCESS);
  EXPECT_EQ(value, u"");
  EXPECT_TRUE(fw->FileExists(u"first.ax"));
  EXPECT_FALSE(fw->FileExists(u"second.ax"));
  EXPECT_FALSE(fw->FileExists(u"third.ax"));
  EXPECT_FALSE(fw->FileExists(u"First.ax"));
  uint32_t ms = 0, ls = 0;
  EXPECT_TRUE(fw->GetFileVersion(u"first.ax", ms, ls));
  EXPECT_EQ(ms, 0x00010002u);
  EXPECT_EQ(ls, 0x00030004u);
  EXPECT_TRUE(fw->GetFileVersion(u"third.ax", ms, ls));
  EXPECT_FALSE(fw->GetFileVersion(u"second.ax", ms, ls));
}

}  // namespace
}  // namespace ambrel::media
