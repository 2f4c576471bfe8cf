// The window's behaviour without any toolkit: a scripted view records what the form
// shows, and the test serves the workers' hand-offs as a window's event loop would.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "app/form/AnalysisForm.h"

using namespace ambrel;

namespace {

const std::string kData = AMBREL_TEST_DATA_DIR;

class TScriptedView : public IFormView {
 public:
  std::vector<std::string> Lines;
  std::string Caption, Text, Rich;
  bool Busy = false, CanSave = false;
  int Wakes = 0;

  void SetCaption(const std::string& C) override { Caption = C; }
  void AddStatusLine(const std::string& Line) override { Lines.push_back(Line); }
  void SetBusy(bool B, bool S) override { Busy = B, CanSave = S; }
  void ShowStartPage(bool) override {}
  void ShowReports(const TFormReports& R) override { Text = R.Text, Rich = R.RichText; }
  void WakeMainThread() override { ++Wakes; }
};

// A system-information provider held in its gathering until Release is set.
class THeldProvider : public platform::IDxDiagProvider {
 public:
  THeldProvider(std::atomic<bool>& Release, std::atomic<int>& Gathered) : FRelease(Release), FGathered(Gathered) {}
  platform::HRESULT Initialize() override {
    ++FGathered;
    while (!FRelease) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    FRoot.AddChild("DxDiag_SystemInfo").SetText("szOSExLongEnglish", "Test OS");
    return platform::S_OK;
  }
  platform::HRESULT GetRootContainer(const platform::IDxDiagContainer*& Root) override {
    Root = &FRoot;
    return platform::S_OK;
  }

 private:
  std::atomic<bool>& FRelease;
  std::atomic<int>& FGathered;
  platform::TDxDiagNode FRoot;
};

class FormTest : public testing::Test {
 protected:
  TTempDir dir_;
  TScriptedView view_;
  std::atomic<bool> release_{true};
  std::atomic<int> gathered_{0};

  TAnalysisFormOptions Options(std::vector<std::string> Arguments) {
    TAnalysisFormOptions o;
    o.Arguments = std::move(Arguments);
    o.ExeDir = dir_.Path().string() + "/";
    o.SystemInfoProvider = [this] { return std::make_unique<THeldProvider>(release_, gathered_); };
    o.MediaFramework = media::CreateNoMediaFramework;
    o.ChooseReportFolder = [](const std::string& ExeDir, std::string*) { return ExeDir; };
    o.WriteReportFile = [](const std::string& Path, std::string_view Bytes) {
      std::ofstream out(Path, std::ios::binary);
      out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
      return out.good() ? std::string() : std::string("cannot write");
    };
    o.RichText = true;
    return o;
  }

  // Serves the workers' hand-offs until the form is idle.
  static void WaitIdle(TAnalysisForm& form) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (form.IsBusy() && std::chrono::steady_clock::now() < limit) {
      form.RunHandedOffStep();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_FALSE(form.IsBusy());
  }
};

TEST_F(FormTest, AnalysesTheFirstArgumentAndSavesTheReports) {
  const std::string file = kData + "/audio.mka";
  TAnalysisForm form(Options({file, kData + "/sample.mkv"}), view_);
  form.Start();
  EXPECT_TRUE(view_.Busy);
  EXPECT_TRUE(view_.Caption.ends_with(" - audio.mka")) << view_.Caption;
  WaitIdle(form);
  EXPECT_FALSE(view_.Busy);
  EXPECT_TRUE(view_.CanSave);
  EXPECT_GT(view_.Wakes, 0);
  EXPECT_EQ(view_.Lines, (std::vector<std::string>{"Gathering info about : " + file, "Parsing Matroska file done.",
                                                   "DirectShow RenderFile check done.",
                                                   "DirectShow detailed rendering done.", "Does not play here.",
                                                   "Report.html and Report.txt are saved in " + dir_.Path().string() + "/"}));
  EXPECT_EQ(ReadFile(dir_ / "Report.txt"), "\xEF\xBB\xBF" + view_.Text);
  EXPECT_TRUE(view_.Text.starts_with("Matroska file info : " + file));
  EXPECT_TRUE(view_.Rich.starts_with("{\\rtf1"));
  EXPECT_EQ(form.SuggestedSaveName(), "audio.html");

  // "Save report as": the text report for the text filter or a ".txt" name, else the page.
  struct Case {
    std::string Name;
    bool TextChosen;
    std::string SameAs;
  };
  for (const Case& c : {Case{"a.html", false, "Report.html"}, Case{"b", true, "Report.txt"},
                        Case{"c.TXT", false, "Report.txt"}}) {
    const std::string path = dir_ / c.Name;
    form.SaveReportAs(path, c.TextChosen);
    EXPECT_EQ(view_.Lines.back(), "Report saved as " + path);
    EXPECT_EQ(ReadFile(path), ReadFile(dir_ / c.SameAs)) << c.Name;
  }
}

TEST_F(FormTest, BusyRefusesInputAndSystemInfoIsGatheredOnce) {
  release_ = false;
  TAnalysisForm form(Options({}), view_);
  form.Start();
  form.SystemInfoTicked(true);
  EXPECT_TRUE(form.IsBusy());
  // While the worker runs: no drop, no file, no untick, no second gathering, no save.
  form.DropFiles({kData + "/sample.mkv"});
  form.AnalyzeFile(kData + "/sample.mkv");
  form.SystemInfoTicked(false);
  form.SaveReportAs(dir_ / "x.txt", true);
  EXPECT_EQ(view_.Lines, std::vector<std::string>{"Gathering system information, please wait..."});
  release_ = true;
  WaitIdle(form);
  EXPECT_EQ(gathered_.load(), 1);
  EXPECT_NE(view_.Text.find("Test OS"), std::string::npos);
  form.SystemInfoTicked(false);
  EXPECT_EQ(view_.Text.find("Test OS"), std::string::npos);
  form.SystemInfoTicked(true);
  EXPECT_FALSE(form.IsBusy());
  EXPECT_NE(view_.Text.find("Test OS"), std::string::npos);
  EXPECT_EQ(gathered_.load(), 1);
  // A folder or a missing name dropped does nothing; an existing file starts an analysis.
  form.DropFiles({kData});
  form.DropFiles({kData + "/no-such.mkv", kData + "/sample.mkv"});
  EXPECT_FALSE(form.IsBusy());
  form.DropFiles({kData + "/sample.mkv"});
  EXPECT_TRUE(form.IsBusy());
  WaitIdle(form);
}

TEST_F(FormTest, ClosingWhileBusyServesTheLastHandOffsAndStops) {
  release_ = false;
  TAnalysisForm form(Options({}), view_);
  form.Start();
  form.SystemInfoTicked(true);
  while (gathered_ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::thread releaser([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    release_ = true;
  });
  form.Close();
  releaser.join();
  EXPECT_FALSE(form.IsBusy());
  EXPECT_EQ(view_.Lines, std::vector<std::string>{"Gathering system information, please wait..."});
}

}  // namespace
