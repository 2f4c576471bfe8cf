// The catalogue queries and the three framework sections over small worlds.
#include <gtest/gtest.h>

#include "dshow/DShowHelper.h"
#include "base/Verbatim.h"
#include "tests/dshow/WorldRun.h"

namespace ambrel {
namespace {

using testing::Capture;
using testing::Joined;
using testing::World;

const char kSplitters[] = R"({
  "render_file": [{"ext": "mkv", "hr": "VFW_S_PARTIAL_RENDER"}, {"ext": "mka", "hr": 0}],
  "filters": [
    {"id": "tolmer", "name": "Matroska Splitter", "clsid": "{149D2E01-C32E-4939-80F6-C07B81015A7A}",
     "server": "C:\\Filters\\mkx.ax", "version": "1.2.0.65535"},
    {"id": "brenn", "name": "Other Splitter", "clsid": "{9AB95E90-1F37-427E-9B3D-257FB0CB25F7}",
     "server": "C:\\Filters\\gone.ax", "server_exists": false, "create_hr": "REGDB_E_CLASSNOTREG"}
  ]})";

TEST(Catalogue, ErrorTextsCarryTheirCode) {
  auto fw = World(R"({"error_texts": {"0x80040218": "  padded\ttext \r\n"}})");
  EXPECT_EQ(GetErrorText(*fw, 0), "OK");
  EXPECT_EQ(GetErrorText(*fw, 1), "Incorrect function. (0x00000001)");
  EXPECT_EQ(GetErrorText(*fw, static_cast<HRESULT>(0x12345678)), " (0x12345678)");
  EXPECT_EQ(GetErrorText(*fw, media::VFW_E_CANNOT_RENDER), "padded\ttext (0x80040218)");
  // The framework's buffer holds 159 characters.
  auto longText = World(R"({"error_texts": {"E_FAIL": ")" + std::string(200, 'x') + R"("}})");
  EXPECT_EQ(GetErrorText(*longText, media::E_FAIL), std::string(159, 'x') + " (0x80004005)");
}

TEST(Catalogue, ErrorTextsOfTwoUnitCharactersStayInsideTheBuffer) {
  // The framework writes up to 159 characters; characters of two UTF-16 units take up to
  // 318 units, and the text shown keeps the first 159 units, its cut half becoming U+FFFD.
  std::string escapes;
  for (int i = 0; i < 200; ++i) escapes += "\\uD83C\\uDFB5";
  auto fw = World(R"({"error_texts": {"E_FAIL": ")" + escapes + R"("}})");
  std::string notes;
  for (int i = 0; i < 79; ++i) notes += "\xF0\x9F\x8E\xB5";
  EXPECT_EQ(GetErrorText(*fw, media::E_FAIL), notes + "\xEF\xBF\xBD (0x80004005)");
}

// The text without its Verbatim() wrappings.
std::string Plain(const std::string& text) {
  std::string out;
  for (const auto& segment : verbatim::Split(text)) out += segment.text;
  return out;
}

TEST(Catalogue, InstalledStateNeedsAServerPathAndAnExistingFile) {
  auto fw = World(R"({"filters": [
      {"id": "a", "clsid": "{40000000-0000-0000-0000-000000000001}", "server": "a.ax", "version": "0.1.2.3"},
      {"id": "b", "clsid": "{40000000-0000-0000-0000-000000000002}", "server": "b.ax"},
      {"id": "c", "clsid": "{40000000-0000-0000-0000-000000000003}", "server": "c.ax", "server_exists": false},
      {"id": "d", "clsid": "{40000000-0000-0000-0000-000000000004}", "server": ""}]})");
  EXPECT_EQ(Plain(CheckFilterInstalled(*fw, "{40000000-0000-0000-0000-000000000001}")), "yes, in a.ax (0.1.2.3)");
  EXPECT_EQ(Plain(CheckFilterInstalled(*fw, "{40000000-0000-0000-0000-000000000002}")), "yes, in b.ax");
  EXPECT_EQ(CheckFilterInstalled(*fw, "{40000000-0000-0000-0000-000000000003}"), "no");
  EXPECT_EQ(CheckFilterInstalled(*fw, "{40000000-0000-0000-0000-000000000004}"), "no");
  EXPECT_EQ(CheckFilterInstalled(*fw, "{40000000-0000-0000-0000-000000000005}"), "no");
  EXPECT_EQ(CheckFilterInstalled(*fw, "not a class id"), "no");
}

TEST(Catalogue, OnlyLegacyFiltersThatBindAreCreatable) {
  auto fw = World(R"({"filters": [
      {"id": "a", "clsid": "{40000000-0000-0000-0000-000000000001}"},
      {"id": "b", "clsid": "{40000000-0000-0000-0000-000000000002}", "categories": ["audio_renderer"]},
      {"id": "c", "clsid": "{40000000-0000-0000-0000-000000000003}", "create_hr": "E_OUTOFMEMORY"},
      {"id": "d", "clsid": "{40000000-0000-0000-0000-000000000004}", "instance": null}]})");
  EXPECT_TRUE(CheckFilterCreatable(*fw, "{40000000-0000-0000-0000-000000000001}"));
  EXPECT_TRUE(CheckFilterCreatable(*fw, "{40000000-0000-0000-0000-000000000001}"));
  EXPECT_FALSE(CheckFilterCreatable(*fw, "{40000000-0000-0000-0000-000000000002}"));
  EXPECT_FALSE(CheckFilterCreatable(*fw, "{40000000-0000-0000-0000-000000000003}"));
  EXPECT_FALSE(CheckFilterCreatable(*fw, "{40000000-0000-0000-0000-000000000004}"));
  auto noCtx = World(R"({"fail": {"bind_ctx": "E_FAIL"}, "filters": [{"id": "a", "clsid": "{40000000-0000-0000-0000-000000000001}"}]})");
  EXPECT_FALSE(CheckFilterCreatable(*noCtx, "{40000000-0000-0000-0000-000000000001}"));
}

TEST(Catalogue, CategoryListsSkipFiltersWithoutAClassAndSortByName) {
  auto fw = World(R"({"filters": [
      {"id": "1", "name": "beta", "clsid": "{40000000-0000-0000-0000-000000000001}"},
      {"id": "2", "name": "Alpha", "clsid": "{40000000-0000-0000-0000-000000000002}"},
      {"id": "3", "name": "No class"},
      {"id": "4", "name": "Bad class", "clsid": "garbage"},
      {"id": "5", "clsid": "{40000000-0000-0000-0000-000000000005}"},
      {"id": "6", "name": "ALPHA", "clsid": "{40000000-0000-0000-0000-000000000006}"},
      {"id": "7", "name": "\u00c9clair", "clsid": "{40000000-0000-0000-0000-000000000007}"},
      {"id": "8", "name": "hidden", "clsid": "{40000000-0000-0000-0000-000000000008}", "bag": false}]})");
  TFilterInfoList list;
  EnumFiltersByCategory(*fw, media::CLSID_LegacyAmFilterCategory, list);
  SortFilterInfoList(list);
  std::vector<std::string> names;
  for (const auto& info : list) names.push_back(media::WideToUtf8(info->FriendlyName));
  // Case-insensitive and stable; accented capitals sort as their lower case.
  EXPECT_EQ(names, (std::vector<std::string>{"", "Alpha", "ALPHA", "beta", "\xC3\x89" "clair"}));
  FreeFilterInfoList(list);
  EXPECT_TRUE(list.empty());
  EnumFiltersByCategory(*fw, media::CLSID_AudioRendererCategory, list);
  EXPECT_TRUE(list.empty());
}

TEST(Sections, RenderFileCheckReportsBothSplittersAndTheFrameworksResult) {
  auto fw = World(kSplitters);
  const auto mkv = Capture([&](TLogWriter& W) { WriteRenderFileCheckSection(W, CheckRenderFile("movie.mkv", *fw)); });
  EXPECT_EQ(mkv.Text,
            "DirectShow RenderFile check : \r\n"
            "Matroska Splitter : Tolmer's Matroska Splitter\r\n"
            "   - Installed : yes, in C:\\Filters\\mkx.ax (1.2.0.65535)\r\n"
            "   - Can be created : yes\r\n"
            "Matroska Splitter : Brenn's Matroska Splitter\r\n"
            "   - Installed : no\r\n"
            "   - Can be created : no\r\n"
            "RenderFile with DirectShow : Some of the streams in this movie are in an unsupported format. (0x00040242)\r\n"
            "\r\n");
  const auto mka = Capture([&](TLogWriter& W) { WriteRenderFileCheckSection(W, CheckRenderFile("music.MKA", *fw)); });
  EXPECT_NE(mka.Text.find("RenderFile with DirectShow : OK\r\n"), std::string::npos);
}

TEST(Sections, WithoutAFrameworkEverythingReadsNotRegistered) {
  auto none = media::CreateNoMediaFramework();
  const auto check = Capture([&](TLogWriter& W) { WriteRenderFileCheckSection(W, CheckRenderFile("a.mkv", *none)); });
  EXPECT_NE(check.Text.find("RenderFile with DirectShow : Class not registered (0x80040154)"), std::string::npos);
  const auto render = testing::Render(*none, "a.mkv");
  ASSERT_EQ(render.Lines.size(), 2u);
  EXPECT_NE(render.Lines[1].find("> Creation of GraphBuilder : Class not registered (0x80040154)"), std::string::npos);
  const auto lists = Capture([&](TLogWriter& W) { WriteDirectShowFiltersSection(W, *none); });
  EXPECT_EQ(lists.Text, "DirectShow filters :\r\n\r\nAudio renderer :\r\n\r\n");
}

TEST(Sections, FilterListsShowNameAndServerWithVersion) {
  auto fw = World(R"({"filters": [
      {"id": "s", "name": "Sink <1>", "clsid": "{40000000-0000-0000-0000-000000000001}",
       "categories": ["legacy", "audio_renderer"], "server": "C:\\a&b.ax", "version": "6.6.7601.0"},
      {"id": "n", "clsid": "{40000000-0000-0000-0000-000000000002}", "server": "nameless.ax"},
      {"id": "f", "name": "No file", "clsid": "{40000000-0000-0000-0000-000000000003}"}]})");
  const auto out = Capture([&](TLogWriter& W) { WriteDirectShowFiltersSection(W, *fw); });
  EXPECT_EQ(out.Text,
            "DirectShow filters :\r\n"
            "   - Filename : nameless.ax\r\n"
            "Filter name : No file\r\n"
            "Filter name : Sink <1>\r\n"
            "   - Filename : C:\\a&b.ax (6.6.7601.0)\r\n"
            "\r\n"
            "Audio renderer :\r\n"
            "Filter name : Sink <1>\r\n"
            "   - Filename : C:\\a&b.ax (6.6.7601.0)\r\n"
            "\r\n");
  EXPECT_NE(out.Html.find("Sink &lt;1&gt;"), std::string::npos);
  EXPECT_NE(out.Html.find("C:\\a&amp;b.ax (6.6.7601.0)"), std::string::npos);
}

}  // namespace
}  // namespace ambrel
