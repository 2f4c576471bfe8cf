// The bounds of the backend's waits, apart from the GStreamer types.
#pragma once

#include <chrono>

namespace ambrel::media::gst {

// How long the backend waits for the framework's streaming threads. One process-wide set,
// read when a wait begins (a graph takes its allowance when it is made); tests shorten it.
struct Timeouts {
  // One framework call.
  std::chrono::milliseconds preroll{10000};
  // All the waits for demuxers of one graph together.
  std::chrono::milliseconds graphPrerollAllowance{30000};
  std::chrono::milliseconds deviceProbe{3000};
  // A whole RenderFile.
  std::chrono::milliseconds render{20000};
};
Timeouts& CurrentTimeouts();

}  // namespace ambrel::media::gst
