#include "host/HostServer.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

#include "dshow/FrameworkSections.h"
#include "media/world/MediaWorld.h"
#include "host/HostWriter.h"
#include "host/RenderResultsWire.h"

namespace ambrel::host {

namespace {

// Processor time one file's questions may take.
constexpr rlim_t kCpuSecondsPerFile = 60;

// How long the end of a file waits for its graphs' teardown.
constexpr std::chrono::seconds kSettle{5};

// Lets this file's questions use kCpuSecondsPerFile more seconds of processor time: past
// them, the kernel ends the host (SIGXCPU). Only the soft limit moves (an unprivileged
// process cannot raise its hard limit again).
void AllowProcessorTimeForAFile() {
  rusage used{};
  rlimit limit{};
  if (getrusage(RUSAGE_SELF, &used) != 0 || getrlimit(RLIMIT_CPU, &limit) != 0) return;
  const rlim_t wanted = static_cast<rlim_t>(used.ru_utime.tv_sec + used.ru_stime.tv_sec) + kCpuSecondsPerFile;
  limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
  setrlimit(RLIMIT_CPU, &limit);
}

std::unique_ptr<TLocalFrameworkSections> SectionsFor(TFrame& First) {
  if (First.Kind() == TKind::World) {
    std::string text;
    First.Get(text);
    media::TMediaWorldLoad world = media::LoadMediaWorldText(text);
    if (world.MakeAnother) return std::make_unique<TLocalFrameworkSections>(world.MakeAnother, true);
    return std::make_unique<TLocalFrameworkSections>([] { return media::CreateNoMediaFramework(); });
  }
  return std::make_unique<TLocalFrameworkSections>(
      [] { return media::CreateDefaultMediaFramework(media::TFrameworkStart::FirstQuestion); });
}

}  // namespace

int ServeFrameworkQuestions(int Fd) {
  TFrameReader reader(Fd);
  TFrame frame;
  if (reader.Read(frame) != TReadResult::Frame) return 1;
  AllowProcessorTimeForAFile();
  // The detailed rendering's steps go as they are made, so that the analysis keeps those
  // made before a crash; a rendering begun ahead makes them on a thread of its own while
  // this one answers, hence the lock around every frame sent.
  std::mutex sending;
  const std::function<void(const TFrame&)> Send = [&](const TFrame& Frame) {
    std::lock_guard lock(sending);
    SendFrame(Fd, Frame);
  };
  const std::unique_ptr<TLocalFrameworkSections> sections = SectionsFor(frame);
  sections->SendStepsTo([&](const TRenderStep& Step) {
    TFrame frame(TKind::Step);
    PutStep(frame, Step);
    Send(frame);
  });
  while (reader.Read(frame) == TReadResult::Frame) {
    std::string text;
    frame.Get(text);
    switch (frame.Kind()) {
      case TKind::BeginFile:
        AllowProcessorTimeForAFile();
        sections->BeginFile();
        break;
      case TKind::Prepare:
        sections->Prepare(text);
        break;
      case TKind::Start:
        sections->Start();
        Send(TFrame(TKind::Ready));
        break;
      case TKind::Installed: {
        TFrame install(TKind::Install);
        PutInstall(install, sections->FilterInstall(text));
        Send(install);
        break;
      }
      case TKind::Check: {
        TFrame checked(TKind::Checked);
        PutCheck(checked, sections->CheckRenderFile(text));
        Send(checked);
        break;
      }
      case TKind::Detailed: {
        sections->RenderDetailed(text);  // its steps have gone
        // The file's graphs are torn down before it is answered: a host is only given
        // another file with nothing of this one still running. What was left (a teardown
        // that does not end, a time-out, a refused thread) retires the host.
        const media::IMediaFramework::TLeftovers left = sections->Settle(kSettle);
        Send(TFrame(TKind::Done).Put(left.Failure).PutByte(left.Clean ? 0 : 1));
        break;
      }
      case TKind::Filters: {
        TSendingWriter writer(Send);
        sections->WriteFilterLists(writer);
        Send(TFrame(TKind::Done));
        break;
      }
      default:
        return 1;
    }
  }
  return 0;
}

}  // namespace ambrel::host
