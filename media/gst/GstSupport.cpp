// Name-based GUIDs, merits, names, wide text and bounded waits of the GStreamer backend.
#include <condition_variable>
#include <memory>
#include <chrono>
#include <cstdlib>
#include <mutex>
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

bool RunBounded(std::function<bool()> job, std::chrono::milliseconds timeout) {
  struct State {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool result = false;
  };
  auto state = std::make_shared<State>();
  std::thread([state, job = std::move(job)] {
    const bool result = job();
    std::lock_guard lock(state->mutex);
    state->finished = true;
    state->result = result;
    state->done.notify_all();
  }).detach();
  std::unique_lock lock(state->mutex);
  state->done.wait_for(lock, timeout, [&] { return state->finished; });
  return state->finished && state->result;
}

namespace {

// The detached jobs still running. Never destroyed: a job may end while the program's
// static objects are being torn down.
struct DetachedJobs {
  std::mutex mutex;
  std::condition_variable done;
  int running = 0;
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

}  // namespace

void RunDetached(std::function<void()> job) {
  DetachedJobs& jobs = Jobs();
  {
    std::lock_guard lock(jobs.mutex);
    static const bool registered = std::atexit(WaitForDetachedJobs) == 0;
    (void)registered;
    ++jobs.running;
  }
  std::thread([job = std::move(job), &jobs] {
    job();
    std::lock_guard lock(jobs.mutex);
    --jobs.running;
    jobs.done.notify_all();
  }).detach();
}

std::u16string BackendErrorText(uint32_t code) {
  if (code == static_cast<uint32_t>(VFW_E_TIMEOUT)) return u"A time-out has expired.";
  return DefaultErrorText(code);
}

}  // namespace ambrel::media::gst
