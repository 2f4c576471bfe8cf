// A batch on two threads whose files finish in a chosen order: the first file is held
// until the other thread has taken every file the window lets it take; the outputs and the
// error lines still come in the order given, and no file is begun further ahead of the
// printed ones than the window allows.
#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <sstream>

#include "TempDir.h"
#include "app/TestTables.h"
#include "app/cli/BatchRun.h"
#include "tests/media/ForwardingFramework.h"

using namespace ambrel;

namespace {

constexpr int kFiles = 20;
constexpr size_t kJobs = 2, kWindow = 4 * kJobs;

// Notes, for each file (named fNN.mkv), whether file 0 had been let go when its rendering
// began (-1: never began); holds file 0 until file kWindow - 1 has begun and, for a second
// more, until a file past the window begins (which it must not).
struct TSchedule {
  std::mutex Lock;
  std::condition_variable Changed;
  std::vector<int> ReleasedAtStart = std::vector<int>(kFiles, -1);
  bool Released = false;
};

class TScheduledFramework : public ambrel::testing::TForwardingFramework {
 public:
  explicit TScheduledFramework(TSchedule& Schedule)
      : TForwardingFramework(media::CreateNoMediaFramework()), FSchedule(Schedule) {}
  void PrepareRenderFile(const std::u16string& FileName) override {
    const std::u16string base = FileName.substr(FileName.size() - 6);  // "NN.mkv"
    if (base[0] < u'0' || base[0] > u'9') return;
    const int index = (base[0] - u'0') * 10 + (base[1] - u'0');
    std::unique_lock lock(FSchedule.Lock);
    FSchedule.ReleasedAtStart[static_cast<size_t>(index)] = FSchedule.Released;
    FSchedule.Changed.notify_all();
    if (index != 0) return;
    auto& started = FSchedule.ReleasedAtStart;
    FSchedule.Changed.wait(lock, [&] { return started[kWindow - 1] >= 0; });
    FSchedule.Changed.wait_for(lock, std::chrono::seconds(1), [&] { return started[kWindow] >= 0; });
    FSchedule.Released = true;
  }

 private:
  TSchedule& FSchedule;
};

}  // namespace

TEST(Batch, FilesFinishingInAChosenOrderArePrintedInTheGivenOrderWithinTheWindow) {
  const TTempDir temp("ambrel_batch_order");
  std::vector<TBatchItem> items;
  for (int i = 0; i < kFiles; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "f%02d.mkv", i);
    items.push_back({temp / name, ""});
    if (i % 7 == 0) items.back().Refusal = std::string(name) + " is refused";  // said on standard error
    if (i != 9) std::filesystem::copy_file(AMBREL_TEST_DATA_DIR "/sample.mkv", items.back().Path);
  }
  ambrel::testing::TTables tables;
  const auto run = [&](size_t jobs, TSchedule* schedule, std::ostream& out) {
    std::ostringstream err;
    TBatchOptions options;
    options.Output = TAnalysisOutput::Json;
    options.Jobs = static_cast<unsigned>(jobs);
    options.Render = true;
    options.MakeFramework = [schedule]() -> std::unique_ptr<media::IMediaFramework> {
      if (!schedule) return media::CreateNoMediaFramework();
      return std::make_unique<TScheduledFramework>(*schedule);
    };
    EXPECT_EQ(RunBatch(items, options, tables.Context, out, err), 1);
    return err.str();
  };
  std::ostringstream expected;
  const std::string expectedErr = run(1, nullptr, expected);

  std::ostringstream out;
  TSchedule schedule;
  EXPECT_EQ(run(kJobs, &schedule, out), expectedErr);
  EXPECT_EQ(out.str(), expected.str());

  // The files of the window after file 0 were all taken while it was held; the files past
  // the window only once it was done.
  for (size_t i = 1; i < kFiles; ++i) {
    if (i == 9) continue;  // missing: not rendered
    EXPECT_EQ(schedule.ReleasedAtStart[i], i < kWindow ? 0 : 1) << "file " << i;
  }
}
