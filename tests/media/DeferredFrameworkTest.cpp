// A framework started on a thread of its own or by its first question: questions wait
// for the start, a file announced meanwhile reaches the started framework, and a start
// that fails leaves the framework-less backend.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <stdexcept>
#include <thread>

#include "media/BasicMediaFramework.h"
#include "media/DeferredFramework.h"

namespace ambrel::media {
namespace {

// A start the test releases when it wants, made into a framework that remembers what it
// was told.
struct TGate {
  std::mutex lock;
  std::condition_variable opened;
  bool open = false;
  void Open() {
    std::lock_guard guard(lock);
    open = true;
    opened.notify_all();
  }
  void Wait() {
    std::unique_lock guard(lock);
    opened.wait(guard, [this] { return open; });
  }
};

class TRecording : public TBasicMediaFramework {
 public:
  explicit TRecording(std::vector<std::u16string>* announced) : FAnnounced(announced) {}
  std::string Description() const override { return "recording"; }
  void PrepareRenderFile(const std::u16string& fileName) override { FAnnounced->push_back(fileName); }

 private:
  std::vector<std::u16string>* FAnnounced;
};

TEST(DeferredFramework, AnnouncementsDoNotWaitAndReachTheStartedFrameworkInOrder) {
  TGate gate;
  std::vector<std::u16string> announced;
  std::atomic<bool> made = false;
  TDeferredFramework fw([&]() -> std::unique_ptr<IMediaFramework> {
    gate.Wait();
    made = true;
    return std::make_unique<TRecording>(&announced);
  });
  // Announcing does not wait for the start (the gate is still closed)...
  fw.PrepareRenderFile(u"first.mkv");
  fw.PrepareRenderFile(u"second.mkv");
  EXPECT_FALSE(made);
  gate.Open();
  // ...a question does, and then the latest file announced has been passed on.
  EXPECT_EQ(fw.Description(), "recording");
  EXPECT_EQ(announced, std::vector<std::u16string>{u"second.mkv"});
  // Once started, announcements go straight through.
  fw.PrepareRenderFile(u"third.mkv");
  EXPECT_EQ(announced.back(), u"third.mkv");
}

TEST(DeferredFramework, AStartThatFailsOrThrowsLeavesNoFramework) {
  TDeferredFramework none([] { return std::unique_ptr<IMediaFramework>(); });
  EXPECT_EQ(none.Description(), "none");
  ComPtr<IUnknown> object;
  EXPECT_EQ(none.CoCreateInstance(CLSID_FilterGraph, IID_IGraphBuilder, object), REGDB_E_CLASSNOTREG);

  TDeferredFramework thrown([]() -> std::unique_ptr<IMediaFramework> { throw std::runtime_error("no registry"); });
  thrown.PrepareRenderFile(u"file.mkv");
  EXPECT_EQ(thrown.Description(), "none");
}

TEST(DeferredFramework, AStartLeftForTheFirstQuestionRunsOnItsThreadOnceOrNotAtAll) {
  int starts = 0;
  std::vector<std::u16string> announced;
  {
    TDeferredFramework unasked(
        [&] {
          ++starts;
          return std::make_unique<TRecording>(&announced);
        },
        TFrameworkStart::FirstQuestion);
    unasked.PrepareRenderFile(u"unasked.mkv");
  }
  EXPECT_EQ(starts, 0);

  std::thread::id startedOn;
  TDeferredFramework fw(
      [&] {
        ++starts;
        startedOn = std::this_thread::get_id();
        return std::make_unique<TRecording>(&announced);
      },
      TFrameworkStart::FirstQuestion);
  fw.PrepareRenderFile(u"first.mkv");
  EXPECT_EQ(starts, 0);
  EXPECT_EQ(fw.Description(), "recording");
  std::thread([&] { EXPECT_EQ(fw.Description(), "recording"); }).join();
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(startedOn, std::this_thread::get_id());
  EXPECT_EQ(announced, std::vector<std::u16string>{u"first.mkv"});
}

TEST(DeferredFramework, ReleasingWaitsForAStartNobodyAskedFor) {
  std::atomic<bool> destroyed = false;
  struct TWatched : TBasicMediaFramework {
    explicit TWatched(std::atomic<bool>* flag) : Flag(flag) {}
    ~TWatched() override { *Flag = true; }
    std::atomic<bool>* Flag;
  };
  {
    TDeferredFramework fw([&] { return std::make_unique<TWatched>(&destroyed); });
  }
  EXPECT_TRUE(destroyed);
}

}  // namespace
}  // namespace ambrel::media
