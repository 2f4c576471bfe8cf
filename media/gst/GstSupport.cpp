// Name-based GUIDs, merits, names, wide text and bounded waits of the GStreamer backend.
#include <condition_variable>
#include <memory>
#include <thread>

#include "media/gst/GstBackend.h"

namespace ambrel::media::gst {

GUID NameGuid(std::string_view text) { return NameBasedGuid(kUrlNamespace, text); }

uint32_t MeritFromRank(unsigned rank) {
  struct Point {
    unsigned rank;
    uint32_t merit;
  };
  static constexpr Point kPoints[] = {{GST_RANK_NONE, 0x200000},
                                      {GST_RANK_MARGINAL, 0x400000},
                                      {GST_RANK_SECONDARY, 0x600000},
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
std::string Narrow(const std::u16string& wide) { return WideToUtf8(wide); }

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

void RunDetached(std::function<void()> job) { std::thread(std::move(job)).detach(); }

std::u16string BackendErrorText(uint32_t code) {
  if (code == static_cast<uint32_t>(VFW_E_TIMEOUT)) return u"A time-out has expired.";
  return DefaultErrorText(code);
}

}  // namespace ambrel::media::gst
