// Loads the plugins a graph is about to need on a thread of its own, so that loading a
// large plugin (a decoder library with its many dependencies) overlaps the work the
// streaming threads still do before they ask for it.
#include <condition_variable>
#include <deque>
#include <thread>

#include "media/gst/GstBackend.h"

namespace ambrel::media::gst {

namespace {

struct PreloadQueue {
  std::mutex mutex;
  std::deque<GstRef<GstPluginFeature>> pending;
  bool working = false;
};

// Never destroyed: a load may still be running when the process exits.
PreloadQueue& Queue() {
  static auto* queue = new PreloadQueue;
  return *queue;
}

void Drain() {
  PreloadQueue& queue = Queue();
  for (;;) {
    GstRef<GstPluginFeature> feature;
    {
      std::lock_guard lock(queue.mutex);
      if (queue.pending.empty()) {
        queue.working = false;
        return;
      }
      feature = std::move(queue.pending.front());
      queue.pending.pop_front();
    }
    if (GstPluginFeature* loaded = gst_plugin_feature_load(feature.get())) gst_object_unref(loaded);
  }
}

}  // namespace

void PreloadFeature(GstPluginFeature* feature) {
  if (!feature) return;
  PreloadQueue& queue = Queue();
  std::lock_guard lock(queue.mutex);
  queue.pending.push_back(GstRef<GstPluginFeature>::Share(feature));
  if (queue.working) return;
  queue.working = true;
  std::thread(Drain).detach();
}

}  // namespace ambrel::media::gst
