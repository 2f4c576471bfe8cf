// The detailed rendering begun ahead of its section: on a thread of its own only for a
// framework that builds graphs side by side, otherwise in its turn on the section's thread,
// and reading the same either way.
#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "tests/dshow/WorldRun.h"

namespace ambrel {
namespace {

using namespace media;
using testing::Capture;
using testing::kChain;
using testing::World;

// A world that says whether it builds graphs side by side as it is told, and notes the
// threads the narrative starts on (its first call initialises the framework).
class TWatchedFramework : public testing::TForwardingFramework {
 public:
  explicit TWatchedFramework(bool concurrent) : TForwardingFramework(World(kChain)), FConcurrent(concurrent) {}
  bool BuildsGraphsConcurrently() override { return FConcurrent; }
  HRESULT CoInitialize() override {
    {
      std::lock_guard lock(FLock);
      FStarts.push_back(std::this_thread::get_id());
    }
    return TForwardingFramework::CoInitialize();
  }
  std::vector<std::thread::id> Starts() {
    std::lock_guard lock(FLock);
    return FStarts;
  }

 private:
  bool FConcurrent;
  std::mutex FLock;
  std::vector<std::thread::id> FStarts;
};

testing::TSectionOutput Section(IMediaFramework& Fw, TDetailedRenderingAhead* Ahead) {
  return Capture([&](TLogWriter& W) { WriteDetailedRenderingSection(W, Ahead ? Ahead->Take() : RenderDetailed("a.mkv", Fw)); });
}

TEST(RenderingAhead, ASideBySideFrameworkIsRenderedOnAnotherThreadAsTheSectionWouldHaveIt) {
  TWatchedFramework direct(false);
  const testing::TSectionOutput expected = Section(direct, nullptr);
  ASSERT_GT(expected.Lines.size(), 5u);

  TWatchedFramework fw(true);
  TDetailedRenderingAhead ahead("a.mkv", fw, fw.BuildsGraphsConcurrently());
  const testing::TSectionOutput out = Section(fw, &ahead);
  EXPECT_EQ(out.Text, expected.Text);
  EXPECT_EQ(out.Html, expected.Html);
  ASSERT_EQ(fw.Starts().size(), 1u);
  EXPECT_NE(fw.Starts()[0], std::this_thread::get_id());

  // A rendering begun and never asked for is waited for when it is dropped.
  TWatchedFramework dropped(true);
  { TDetailedRenderingAhead unused("a.mkv", dropped, true); }
  EXPECT_EQ(dropped.Starts().size(), 1u);
}

TEST(RenderingAhead, OtherwiseNothingRunsBeforeTheSectionAsksAndThenOnItsThread) {
  TWatchedFramework direct(false);
  const testing::TSectionOutput expected = Section(direct, nullptr);

  TWatchedFramework fw(false);
  TDetailedRenderingAhead ahead("a.mkv", fw, fw.BuildsGraphsConcurrently());
  EXPECT_TRUE(fw.Starts().empty());  // not begun on this thread at construction
  // Begun anywhere else, the narrative would have started on another thread.
  const testing::TSectionOutput out = Section(fw, &ahead);
  EXPECT_EQ(out.Text, expected.Text);
  EXPECT_EQ(fw.Starts(), std::vector<std::thread::id>{std::this_thread::get_id()});
}

}  // namespace
}  // namespace ambrel
