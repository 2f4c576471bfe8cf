// The native window as a user drives it, in this process: an analysis and its saved text
// report against the command line's, a dropped file, the busy state, the system
// information gathered once, and "Save report as" through a replaceable chooser.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "CliInProcess.h"
#include "TempDir.h"
#include "app/analysis/AnalysisFramework.h"
#include "machine/DxDiagProvider.h"
#include "media/world/MediaWorld.h"
#include "app/window/win32/Win32Window.h"
#include "app/window/win32/Win32Platform.h"

#include <shellapi.h>
#include <shlobj.h>

namespace {

using namespace ambrel;

// The test data as a Windows path: the command line's parser takes an argument that
// starts with '/' for an option, as Windows programs do.
std::string WindowsPath(std::string Path) {
  for (char& c : Path) c = c == '/' ? '\\' : c;
  return Path.starts_with("\\") ? "Z:" + Path : Path;
}

const std::string kData = WindowsPath(AMBREL_TEST_DATA_DIR);
const std::string kWorld = kData + "/worlds/desktop.json";

// A machine whose system information is one fixed line, counted and held until released.
class THeldProvider : public platform::IDxDiagProvider {
 public:
  THeldProvider(std::atomic<bool>& Release, std::atomic<int>& Gathered) : FRelease(Release), FGathered(Gathered) {}
  platform::HRESULT Initialize() override {
    ++FGathered;
    while (!FRelease) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    FRoot.AddChild("DxDiag_SystemInfo").SetText("szOSExLongEnglish", "Test OS");
    return 0;  // success (the system's S_OK is a macro here)
  }
  platform::HRESULT GetRootContainer(const platform::IDxDiagContainer*& Root) override {
    Root = &FRoot;
    return 0;
  }

 private:
  std::atomic<bool>& FRelease;
  std::atomic<int>& FGathered;
  platform::TDxDiagNode FRoot;
};

// A WM_DROPFILES message's files, as the shell hands them over.
HDROP DroppedFiles(const std::vector<std::string>& Names) {
  std::wstring list;
  for (const std::string& name : Names) list += win32::Wide(name) + L'\0';
  list += L'\0';
  const HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* files = static_cast<DROPFILES*>(::GlobalLock(memory));
  files->pFiles = sizeof(DROPFILES);
  files->fWide = TRUE;
  std::copy(list.begin(), list.end(), reinterpret_cast<wchar_t*>(files + 1));
  ::GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

size_t Count(const std::string& Text, const std::string& Part) {
  size_t n = 0;
  for (size_t at = Text.find(Part); at != std::string::npos; at = Text.find(Part, at + 1)) ++n;
  return n;
}

class Win32WindowTest : public testing::Test {
 protected:
  TTempDir dir_;
  std::atomic<bool> release_{true};
  std::atomic<int> gathered_{0};
  TScriptedWorld world_;
  std::string chosen_;

  TWin32WindowOptions Options(std::vector<std::string> Arguments) {
    // The scripted world answers the framework's questions the same on every run.
    media::TMediaWorldLoad loaded = media::LoadMediaWorldFile(kWorld);
    world_ = {std::move(loaded.Text), std::move(loaded.MakeAnother)};
    TWin32WindowOptions o;
    o.Form.Arguments = std::move(Arguments);
    o.Form.ExeDir = dir_.Path().string() + "/";
    o.Form.SystemInfoProvider = [this] { return std::make_unique<THeldProvider>(release_, gathered_); };
    o.Form.FrameworkSections = AnalysisFrameworkMaker(&world_);
    o.ChooseSaveName = [this](const std::string&) { return TWin32SaveChoice{chosen_, false}; };
    return o;
  }

  // Serves the window's messages (the workers' hand-offs among them) until it is idle.
  static void WaitIdle(TWin32Window& Window) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    for (;;) {
      MSG message;
      while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
      }
      if (!Window.IsBusy() || std::chrono::steady_clock::now() > limit) break;
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    ASSERT_FALSE(Window.IsBusy());
  }

  std::string Saved(const std::string& Name) { return ReadFile(dir_ / Name); }
};

TEST_F(Win32WindowTest, SavedTextReportIsTheCommandLines) {
  const std::string sample = kData + "/sample.mkv";
  TWin32Window window(Options({sample}));
  window.Show(SW_SHOWNOACTIVATE);
  EXPECT_TRUE(window.IsBusy());
  EXPECT_FALSE(::IsWindowEnabled(window.OpenButton()));
  WaitIdle(window);
  const TCliResult cli = RunCli({"--media-world", kWorld, sample});
  ASSERT_EQ(cli.status, 0) << cli.err;
  EXPECT_EQ(Saved("Report.txt"), "\xEF\xBB\xBF" + cli.out);
  EXPECT_EQ(window.StatusLines().back(), "Report.html and Report.txt are saved in " + dir_.Path().string() + "/");
  EXPECT_GT(::GetWindowTextLengthW(window.ReportView()), 100);  // the rich-text report
  wchar_t caption[200];
  ::GetWindowTextW(window.Handle(), caption, 200);
  EXPECT_EQ(win32::Utf8(caption), "Ambrel 0.1.0.0 - sample.mkv");

  // "Save report as" through the chooser: the page unless a ".txt" name; cancelled: nothing.
  for (const auto& [name, sameAs] : std::vector<std::pair<std::string, std::string>>{
           {"copy.html", "Report.html"}, {"copy.txt", "Report.txt"}, {"", ""}}) {
    chosen_ = name.empty() ? std::string() : dir_ / name;
    const size_t before = window.StatusLines().size();
    ::SendMessageW(window.SaveButton(), BM_CLICK, 0, 0);
    EXPECT_EQ(window.StatusLines().size(), before + (name.empty() ? 0 : 1));
    if (!name.empty()) {
      EXPECT_EQ(window.StatusLines().back(), "Report saved as " + chosen_);
      EXPECT_EQ(Saved(name), Saved(sameAs));
    }
  }
}

TEST_F(Win32WindowTest, DropsStartAnAnalysisUnlessBusy) {
  TWin32Window window(Options({}));
  window.Show(SW_SHOWNOACTIVATE);
  ::SendMessageW(window.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DroppedFiles({kData})), 0);
  EXPECT_FALSE(window.IsBusy());  // a folder is not analysed
  ::SendMessageW(window.Handle(), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(DroppedFiles({kData + "/audio.mka", kData + "/sample.mkv"})), 0);
  EXPECT_TRUE(window.IsBusy());
  ::SendMessageW(window.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DroppedFiles({kData + "/subs.mks"})), 0);
  WaitIdle(window);
  const std::vector<std::string> lines = window.StatusLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "Gathering info about : " + kData + "/audio.mka");
  EXPECT_EQ(Count(Saved("Report.txt"), "Matroska file info : "), 1u);
  EXPECT_NE(Saved("Report.txt").find("audio.mka"), std::string::npos);
}

TEST_F(Win32WindowTest, BusyRefusesInputAndSystemInfoIsAddedOnce) {
  release_ = false;
  TWin32Window window(Options({}));
  window.Show(SW_SHOWNOACTIVATE);
  ::SendMessageW(window.SystemInfoBox(), BM_CLICK, 0, 0);
  ASSERT_TRUE(window.IsBusy());
  EXPECT_FALSE(::IsWindowEnabled(window.OpenButton()));
  EXPECT_FALSE(::IsWindowEnabled(window.SystemInfoBox()));
  EXPECT_FALSE(::IsWindowEnabled(window.SaveButton()));
  EXPECT_TRUE(::IsWindowVisible(window.ProgressBar()));
  // The bar moves while the worker runs.
  std::vector<LRESULT> positions;
  for (int i = 0; i < 4; ++i) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
    MSG message;
    while (std::chrono::steady_clock::now() < until) {
      while (::PeekMessageW(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) ::DispatchMessageW(&message);
      ::Sleep(5);
    }
    positions.push_back(::SendMessageW(window.ProgressBar(), PBM_GETPOS, 0, 0));
  }
  EXPECT_NE(positions.front(), positions.back());
  // A drop and the tick's message are refused while busy.
  ::SendMessageW(window.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DroppedFiles({kData + "/audio.mka"})), 0);
  ::SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(window.SystemInfoBox()), BN_CLICKED),
                 reinterpret_cast<LPARAM>(window.SystemInfoBox()));
  EXPECT_EQ(::SendMessageW(window.SystemInfoBox(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(window.StatusLines(), std::vector<std::string>{"Gathering system information, please wait..."});
  release_ = true;
  WaitIdle(window);
  EXPECT_FALSE(::IsWindowVisible(window.ProgressBar()));
  EXPECT_EQ(Count(Saved("Report.txt"), "General system info :"), 1u);
  // Unticked and ticked again: the section goes and comes back, gathered only once.
  ::SendMessageW(window.SystemInfoBox(), BM_CLICK, 0, 0);
  EXPECT_EQ(Count(Saved("Report.txt"), "General system info :"), 0u);
  ::SendMessageW(window.SystemInfoBox(), BM_CLICK, 0, 0);
  EXPECT_FALSE(window.IsBusy());
  EXPECT_EQ(Count(Saved("Report.txt"), "General system info :"), 1u);
  EXPECT_EQ(gathered_.load(), 1);
}

TEST_F(Win32WindowTest, NonAsciiPathsWorkEndToEnd) {
  // A file and a report folder with names beyond ASCII.
  const std::string folder = dir_.Path().string() + "/D\xC3\xA9j\xC3\xA0 \xE6\x96\x87";
  ASSERT_TRUE(::CreateDirectoryW(win32::Wide(folder).c_str(), nullptr));
  const std::string file = folder + "/\xC3\xA9t\xC3\xA9.mka";
  ASSERT_TRUE(::CopyFileW(win32::Wide(kData + "/audio.mka").c_str(), win32::Wide(file).c_str(), TRUE));
  TWin32WindowOptions options = Options({file});
  options.Form.ExeDir = folder + "/";
  TWin32Window window(std::move(options));
  window.Show(SW_SHOWNOACTIVATE);
  WaitIdle(window);
  EXPECT_EQ(window.StatusLines().back(), "Report.html and Report.txt are saved in " + folder + "/");
  const std::string report = ReadFile(std::filesystem::path(win32::Wide(folder + "/Report.txt")));
  EXPECT_NE(report.find("Matroska file info : " + file), std::string::npos);
}

}  // namespace
