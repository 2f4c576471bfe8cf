// The Windows build over the system's own DirectShow and diagnostic provider (run under
// Wine in CI: its DirectShow plays Matroska through the host's GStreamer).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "CliInProcess.h"
#include "TempDir.h"
#include "dshow/DShowHelper.h"
#include "dshow/DShowMyRender.h"
#include "io/ByteSource.h"
#include "machine/win/WinDxDiag.h"
#include "media/dshow/DShowBackend.h"

// After the project's headers, whose names (S_OK, HRESULT, ...) the system's are macros
// for; the tests below write result codes as numbers.
#include <windows.h>
#include <objbase.h>
#undef GetProp  // a window function's macro, not the container's method

namespace {

using namespace ambrel;

const std::string kSample = std::string(AMBREL_TEST_DATA_DIR) + "/sample.mkv";  // MPEG-4 video, Vorbis, subtitles

std::unique_ptr<media::IMediaFramework> Framework() { return media::CreateDirectShowFramework(); }

TEST(DirectShow, LegacyFiltersAllHaveFriendlyNames) {
  auto fw = Framework();
  TFilterInfoList filters;
  EnumFiltersByCategory(*fw, media::CLSID_LegacyAmFilterCategory, filters);
  ASSERT_FALSE(filters.empty());
  for (const auto& f : filters) EXPECT_FALSE(f->FriendlyName.empty()) << media::GuidToString(f->CLSID);
}

TEST(DirectShow, SplitterIsInstalledWithItsFileAndVersion) {
  auto fw = Framework();
  TFilterInfoList filters;
  EnumFiltersByCategory(*fw, media::CLSID_LegacyAmFilterCategory, filters);
  std::string clsid;
  for (const auto& f : filters) {
    if (f->FriendlyName == u"GStreamer splitter filter") clsid = media::GuidToString(f->CLSID);
  }
  ASSERT_FALSE(clsid.empty());
  const std::string installed = CheckFilterInstalled(*fw, clsid);
  // The path and the version are marked as verbatim text.
  EXPECT_TRUE(std::regex_match(installed, std::regex(R"(yes, in .*C:\\windows\\system32\\winegstreamer\.dll.* \(.*[0-9.]+.*\))",
                                                     std::regex::icase)))
      << installed;
  EXPECT_TRUE(CheckFilterCreatable(*fw, clsid));
  EXPECT_EQ(CheckFilterInstalled(*fw, "{00000000-1111-2222-3333-444444444444}"), "no");
}

TEST(DirectShow, RenderFileRendersTheSample) {
  auto fw = Framework();
  const media::HRESULT hr = TryRenderFile(*fw, kSample);
  EXPECT_TRUE(hr == 0 || hr == media::VFW_S_PARTIAL_RENDER) << GetErrorText(*fw, hr);
  EXPECT_LT(TryRenderFile(*fw, std::string(AMBREL_TEST_DATA_DIR) + "/no such file.mkv"), 0);
}

// The program's own texts stand in where the system gives none.
TEST(DirectShow, ErrorTextsAreReal) {
  auto fw = Framework();
  EXPECT_EQ(GetErrorText(*fw, media::VFW_E_CANNOT_RENDER).rfind("Error: 0x", 0), std::string::npos);
  EXPECT_NE(GetErrorText(*fw, media::VFW_E_CANNOT_RENDER).find("(0x80040218)"), std::string::npos);
}

// The graph RenderFile built tells what became of each stream: every track of the file gets
// its line, a track Wine's splitter drops with the reason.
TEST(DirectShow, RenderFileCheckGivesAVerdictPerTrack) {
  const TCliResult run = RunCli({kSample});
  EXPECT_EQ(run.status, 0) << run.err;
  const size_t at = run.out.find("RenderFile with DirectShow : ");
  ASSERT_NE(at, std::string::npos) << run.out;
  const std::string check = run.out.substr(at, run.out.find("\r\n\r\n", at) - at);
  EXPECT_NE(check.find("\r\nTrack 1 : plays "), std::string::npos) << check;  // MPEG-4 video
  EXPECT_NE(check.find("\r\nTrack 2 : plays "), std::string::npos) << check;  // Vorbis
  EXPECT_NE(check.find("\r\nTrack 3 : "), std::string::npos) << check;        // subtitles
  EXPECT_EQ(check.find("\r\nTrack 4 : "), std::string::npos) << check;
}

// The detailed rendering builds its graph pin by pin, and registers it in the system's
// running object table under the name graph browsers look for.
TEST(DirectShow, DetailedRenderingCompletesAPathAndRegistersTheGraph) {
  auto fw = Framework();
  std::vector<std::string> lines;
  std::vector<std::string> rotNames;
  {
    TDShowMyRender render(*fw);
    render.FOnStep = [&](const TRenderStep& step) { lines.push_back(RenderStepText(step)); };
    render.MyRenderFile(kSample);
    ::IRunningObjectTable* rot = nullptr;
    ASSERT_EQ(::GetRunningObjectTable(0, &rot), 0);
    ::IEnumMoniker* monikers = nullptr;
    ASSERT_EQ(rot->EnumRunning(&monikers), 0);
    ::IMoniker* moniker = nullptr;
    ::IBindCtx* ctx = nullptr;
    ::CreateBindCtx(0, &ctx);
    while (monikers->Next(1, &moniker, nullptr) == 0) {
      LPOLESTR name = nullptr;
      if (moniker->GetDisplayName(ctx, nullptr, &name) >= 0 && name) {
        const std::u16string wide(name, name + wcslen(name));
        rotNames.push_back(media::WideToUtf8(wide));
        ::CoTaskMemFree(name);
      }
      moniker->Release();
    }
    ctx->Release();
    monikers->Release();
    rot->Release();
  }
  std::string all;
  for (const auto& l : lines) all += l + "\n";
  EXPECT_NE(all.find("Creation of GraphBuilder : OK"), std::string::npos) << all;
  EXPECT_NE(all.find("Completed path"), std::string::npos) << all;
  char pid[16];
  std::snprintf(pid, sizeof pid, "%lX", ::GetCurrentProcessId());
  const std::regex graphName("!FilterGraph [0-9A-F]{16} pid " + std::string(pid));
  bool found = false;
  for (const auto& n : rotNames) found = found || std::regex_match(n, graphName);
  EXPECT_TRUE(found) << rotNames.size() << " names";
}

TEST(DxDiag, SystemInfoHasProperties) {
  auto provider = platform::CreateWindowsDxDiagProvider();
  ASSERT_EQ(provider->Initialize(), 0);
  const platform::IDxDiagContainer* root = nullptr;
  ASSERT_EQ(provider->GetRootContainer(root), 0);
  const platform::IDxDiagContainer* info = nullptr;
  ASSERT_EQ(root->GetChildContainer("DxDiag_SystemInfo", info), 0);
  platform::TDxDiagVariant value;
  ASSERT_EQ(info->GetProp("szWindowsDir", value), 0);
  EXPECT_EQ(value.Kind, platform::TDxDiagVariant::TKind::Text);
  EXPECT_FALSE(value.Text.empty());
  EXPECT_EQ(info->GetProp("dwOSMajorVersion", value), 0);
  EXPECT_EQ(value.Kind, platform::TDxDiagVariant::TKind::Number);
  EXPECT_LT(info->GetProp("no such property", value), 0);
  uint32_t children = 0;
  EXPECT_EQ(root->GetNumberOfChildContainers(children), 0);
  EXPECT_GT(children, 0u);
}

// A file whose name is not ASCII is opened by its wide name and named in the report.
TEST(Files, NonAsciiNameIsReadAndReported) {
  TTempDir dir;
  const std::filesystem::path file = dir.Path() / std::filesystem::path(u8"échantillon \u65e5\u672c.mkv");
  std::filesystem::copy_file(kSample, file);
  const std::u8string u8 = file.u8string();
  const std::string name(u8.begin(), u8.end());
  auto source = OpenFileSource(name);
  ASSERT_TRUE(source);
  EXPECT_EQ(source->Size(), static_cast<int64_t>(std::filesystem::file_size(kSample)));
  const TCliResult run = RunCli({"--no-render", name});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\xE6\x97\xA5\xE6\x9C\xAC.mkv"), std::string::npos);  // 日本 in UTF-8
  EXPECT_EQ(run.out.rfind("Matroska file info : ", 0), 0u) << run.out.substr(0, 400);
}

// The shell of Windows does not expand wildcards: the program does, in path order, names
// beyond ASCII included; a pattern that matches nothing is refused as a missing file.
TEST(Files, WildcardArgumentsGiveOneDocumentPerFileInPathOrder) {
  TTempDir dir;
  const std::vector<std::string> names = {"b.mkv", "a.mkv", "\xC3\xA9t\xC3\xA9 \xE6\x97\xA5.mkv", "a.mkvx", "notes.txt"};
  for (const std::string& name : names) {
    std::filesystem::copy_file(kSample, dir.Path() / std::filesystem::path(std::u8string(name.begin(), name.end())));
  }
  const std::u8string u8 = dir.Path().u8string();
  const std::string folder = std::string(u8.begin(), u8.end()) + "\\";
  const TCliResult run = RunCli({"--json", "--no-render", folder + "*.MKV", folder + "*.avi"});
  std::vector<std::string> paths;
  for (size_t at = 0; (at = run.out.find("{\"path\":\"", at)) != std::string::npos; ++at) {
    at += 9;
    paths.push_back(run.out.substr(at, run.out.find('"', at) - at));
  }
  const auto json = [&](const std::string& name) {
    std::string escaped;
    for (char c : folder + name) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return escaped;
  };
  EXPECT_EQ(paths, (std::vector<std::string>{json("a.mkv"), json("b.mkv"), json(names[2]), json("*.avi")})) << run.out;
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("*.avi"), std::string::npos) << run.err;
}

// The Windows program's file reports are the Linux build's, byte for byte (the path
// line aside): the expected reports of every sample were made on Linux.
TEST(Files, FileReportsAreTheOtherBuildsOnes) {
  const auto afterFirstLine = [](const std::string& text) { return text.substr(std::min(text.find('\n'), text.size())); };
  int compared = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(AMBREL_TEST_DATA_DIR) + "/expected")) {
    const std::string expectedName = entry.path().filename().string();
    if (entry.path().extension() != ".txt") continue;
    const std::string sample = std::string(AMBREL_TEST_DATA_DIR) + "/" + expectedName.substr(0, expectedName.size() - 4);
    if (!std::filesystem::exists(sample)) continue;  // not a sample's report
    const TCliResult run = RunCli({"--no-render", sample});
    EXPECT_EQ(afterFirstLine(run.out), afterFirstLine(ReadFile(entry.path()))) << expectedName;
    ++compared;
  }
  EXPECT_GT(compared, 10);
}

}  // namespace
