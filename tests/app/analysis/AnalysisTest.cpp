// The one analysis every output runs: a reader gets the results in order, the same
// whichever way the framework schedules the rendering, and a stop ends the analysis after
// the step it arrives in.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/analysis/Analysis.h"
#include "tests/app/TestTables.h"
#include "tests/dshow/WorldRun.h"

namespace ambrel {
namespace {

std::unique_ptr<media::IMediaFramework> Desktop() {
  return media::LoadMediaWorldFile(AMBREL_TEST_DATA_DIR "/worlds/desktop.json").Framework;
}

// Says whether it builds graphs side by side as it is told. A world serves one thread at
// a time: the calls of other threads than the one that made it go to a world of their own.
class TScheduledWorld : public testing::TForwardingFramework {
 public:
  explicit TScheduledWorld(bool SideBySide) : TForwardingFramework(Desktop()), FSideBySide(SideBySide) {}
  bool BuildsGraphsConcurrently() override { return FSideBySide; }

 protected:
  media::IMediaFramework& Inner() override {
    return std::this_thread::get_id() == FMaker ? TForwardingFramework::Inner() : *FOthers;
  }

 private:
  bool FSideBySide;
  std::thread::id FMaker = std::this_thread::get_id();
  std::unique_ptr<media::IMediaFramework> FOthers = Desktop();
};

// Notes each result as a line; Stop (optional) is set once the named step is reached.
class TRecorder : public TAnalysisReader {
 public:
  std::vector<std::string> Events;
  std::atomic<bool>* Stop = nullptr;
  std::string StopAt;

  TLogWriter& ParsingLog() override { return FLog; }
  void FileBegins(const std::string& FileName) override { Note("begins " + FileName); }
  void FileParsed(const TMatroskaParse* Parse) override {
    Note(!Parse ? "not opened" : Parse->Complete() ? "parsed" : "fell short: " + Parse->Failure);
  }
  void FileDone() override { Note("done"); }
  void RenderFileChecked(const TRenderFileCheck& Check) override { Note("checked: " + Check.ResultText); }
  void Rendered(const TRenderRun& Run) override {
    std::string steps = "rendered:";
    for (const TRenderStep& step : Run.Steps) steps += "\n" + RenderStepLine(step);
    Note(steps);
  }

 private:
  void Note(const std::string& Event) {
    Events.push_back(Event);
    if (Stop && Event.starts_with(StopAt)) *Stop = true;
  }
  TTxtWriter FLog;
};

std::vector<std::string> Analyse(const std::string& File, bool Render, bool SideBySide, const std::string& StopAt = "") {
  const testing::TTables tables;
  TScheduledWorld world(SideBySide);
  const TAnalysisContext context{tables.Names, tables.CodecDB, &world};
  std::atomic<bool> stop = false;
  TParseControl control;
  control.Cancel = &stop;
  TRecorder recorder;
  if (!StopAt.empty()) {
    recorder.Stop = &stop;
    recorder.StopAt = StopAt;
  }
  TAnalysis(File, context, Render, &control).Run(recorder);
  return recorder.Events;
}

TEST(Analysis, ResultsComeInOrderAndReadTheSameWhateverTheScheduling) {
  const std::string sample = AMBREL_TEST_DATA_DIR "/sample.mkv";
  const std::vector<std::string> inTurn = Analyse(sample, true, false);
  ASSERT_EQ(inTurn.size(), 5u);
  EXPECT_EQ(inTurn[0], "begins " + sample);
  EXPECT_EQ(inTurn[1], "parsed");
  EXPECT_EQ(inTurn[2], "done");
  EXPECT_TRUE(inTurn[3].starts_with("checked: "));
  EXPECT_NE(inTurn[4].find("MyRenderFile finished : "), std::string::npos);
  EXPECT_EQ(Analyse(sample, true, true), inTurn);
  EXPECT_EQ(Analyse(sample, false, true), std::vector<std::string>(inTurn.begin(), inTurn.begin() + 3));
  // A file that cannot be opened still gets the framework's answers.
  const std::vector<std::string> missing = Analyse("no such file.mkv", true, true);
  ASSERT_EQ(missing.size(), 5u);
  EXPECT_EQ(missing[1], "not opened");
}

TEST(Analysis, AStopEndsTheAnalysisAfterItsStep) {
  const std::string sample = AMBREL_TEST_DATA_DIR "/sample.mkv";
  struct Case {
    const char* stopAt;
    size_t events;
    const char* file;  // what the file's part gave
  };
  for (const Case& c : {Case{"begins", 3, "fell short: Analysis cancelled."}, Case{"done", 3, "parsed"},
                        Case{"checked", 4, "parsed"}}) {
    const std::vector<std::string> events = Analyse(sample, true, true, c.stopAt);
    ASSERT_EQ(events.size(), c.events) << c.stopAt;
    EXPECT_EQ(events[1], c.file) << c.stopAt;
  }
}

}  // namespace
}  // namespace ambrel
