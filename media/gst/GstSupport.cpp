// Name-based GUIDs, merits, names, wide text and bounded waits of the GStreamer backend.
#include <condition_variable>
#include <memory>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "media/gst/GstBackend.h"

namespace ambrel::media::gst {

GUID NameGuid(std::string_view text) { return NameBasedGuid(kUrlNamespace, text); }

uint32_t MeritFromRank(unsigned rank) {
  struct Point {
    unsigned rank;
    uint32_t merit;
  };
  // Marginal rank, the autoplugger's own threshold, reads as the lowest merit the
  // rendering asks for, so a stream the framework plays is one the rendering connects.
  static constexpr Point kPoints[] = {{GST_RANK_NONE, 0x200000},
                                      {GST_RANK_MARGINAL, 0x600000},
                                      {GST_RANK_SECONDARY, 0x700000},
                                      {GST_RANK_PRIMARY, 0x800000}};
  for (size_t i = 1; i < std::size(kPoints); ++i) {
    const Point& lo = kPoints[i - 1];
    const Point& hi = kPoints[i];
    if (rank <= hi.rank) return lo.merit + (rank - lo.rank) * ((hi.merit - lo.merit) / (hi.rank - lo.rank));
  }
  // Above primary: the slope of the last segment, kept within 32 bits.
  const uint64_t merit = 0x800000ULL + uint64_t{rank - GST_RANK_PRIMARY} * 0x4000ULL;
  return merit > 0xFFFFFFFFULL ? 0xFFFFFFFFU : static_cast<uint32_t>(merit);
}

std::u16string CutName(const std::u16string& name) {
  constexpr size_t kNameChars = 127;
  std::u16string out = name.substr(0, name.find(u'\0'));
  if (out.size() <= kNameChars) return out;
  // A surrogate pair that does not fit leaves its high half, which ends the name.
  out.resize(kNameChars);
  return out;
}

std::u16string Wide(const char* utf8) { return utf8 ? Utf8ToWide(utf8) : std::u16string(); }

Timeouts& CurrentTimeouts() {
  static Timeouts timeouts;
  return timeouts;
}

namespace {

// The jobs running on threads of their own, and what the work since the framework was
// last settled left behind. Never destroyed: a job may end while the program's static
// objects are being torn down.
struct DetachedJobs {
  std::mutex mutex;
  std::condition_variable done;
  int running = 0;
  std::string refused;    // why the system refused a thread, the first time it did
  bool timedOut = false;  // a wait for the framework's threads ran out
};
DetachedJobs& Jobs() {
  static DetachedJobs* const jobs = new DetachedJobs;
  return *jobs;
}

// A program that ends normally waits (bounded) for the jobs still running: they use the
// framework and this code, which the end of the program tears down and unloads.
void WaitForDetachedJobs() {
  DetachedJobs& jobs = Jobs();
  std::unique_lock lock(jobs.mutex);
  jobs.done.wait_for(lock, std::chrono::seconds(10), [&] { return jobs.running == 0; });
}

// Runs job on a thread of its own, counted among the running jobs. When the system
// refuses the thread, the job is kept and never run (it owns references to a graph
// whose teardown must not happen on the caller's thread), the refusal is noted, and
// the answer is false.
bool StartJob(std::function<void()> job) {
  DetachedJobs& jobs = Jobs();
  {
    std::lock_guard lock(jobs.mutex);
    static const bool registered = std::atexit(WaitForDetachedJobs) == 0;
    (void)registered;
    ++jobs.running;
  }
  auto* held = new std::function<void()>(std::move(job));
  try {
    std::thread([held, &jobs] {
      (*held)();
      delete held;
      std::lock_guard lock(jobs.mutex);
      --jobs.running;
      jobs.done.notify_all();
    }).detach();
    return true;
  } catch (const std::system_error& error) {
    NoteRefusedThread(error);
    std::lock_guard lock(jobs.mutex);
    --jobs.running;
    return false;
  }
}

}  // namespace

void NoteRefusedThread(const std::system_error& error) {
  DetachedJobs& jobs = Jobs();
  std::lock_guard lock(jobs.mutex);
  if (jobs.refused.empty()) jobs.refused = error.code().message();
}

void NoteTimeOut() {
  DetachedJobs& jobs = Jobs();
  std::lock_guard lock(jobs.mutex);
  jobs.timedOut = true;
}

IMediaFramework::TLeftovers SettleJobs(std::chrono::milliseconds wait) {
  DetachedJobs& jobs = Jobs();
  std::unique_lock lock(jobs.mutex);
  const bool finished = jobs.done.wait_for(lock, wait, [&] { return jobs.running == 0; });
  IMediaFramework::TLeftovers left;
  left.Clean = finished && !jobs.timedOut && jobs.refused.empty();
  if (!jobs.refused.empty()) left.Failure = "The media framework could not start a thread: " + jobs.refused;
  jobs.refused.clear();
  jobs.timedOut = false;
  return left;
}

bool RunBounded(std::function<bool()> job, std::chrono::milliseconds timeout) {
  struct State {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool result = false;
  };
  auto state = std::make_shared<State>();
  if (!StartJob([state, job = std::move(job)] {
        const bool result = job();
        std::lock_guard lock(state->mutex);
        state->finished = true;
        state->result = result;
        state->done.notify_all();
      }))
    return false;
  std::unique_lock lock(state->mutex);
  if (!state->done.wait_for(lock, timeout, [&] { return state->finished; })) NoteTimeOut();
  return state->finished && state->result;
}

bool RunDetached(std::function<void()> job) { return StartJob(std::move(job)); }

std::u16string BackendErrorText(uint32_t code) {
  if (code == static_cast<uint32_t>(VFW_E_TIMEOUT)) return u"A time-out has expired.";
  return DefaultErrorText(code);
}

}  // namespace ambrel::media::gst
