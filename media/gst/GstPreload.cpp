// Loads the plugins a graph is about to need on a thread of its own, so that loading a
// large plugin (a decoder library with its many dependencies) overlaps the work the
// streaming threads still do before they ask for it.
#include <condition_variable>
#include <deque>
#include <thread>

#include "media/gst/GstBackend.h"

namespace ambrel::media::gst {

namespace {

struct Pending {
  GstRef<GstPluginFeature> feature;
  bool thenItsDecoder = false;
};

struct PreloadQueue {
  std::mutex mutex;
  std::deque<Pending> pending;
  bool working = false;
};

// Never destroyed: a load may still be running when the process exits.
PreloadQueue& Queue() {
  static auto* queue = new PreloadQueue;
  return *queue;
}

// The decoder the decoding bin will pick for a parser's output: the best-ranked one that
// takes what the parser's source template gives. The decoders the bin is offered for the
// unparsed stream can differ (a decoder that also parses, ranked low, where the one that
// decodes parsed frames ranks high), so the first of those is often not the one used.
GstRef<GstPluginFeature> BestDecoderAfter(GstPluginFeature* parser) {
  GstRef<GstPluginFeature> best;
  GstCaps* output = nullptr;
  for (const GList* t = gst_element_factory_get_static_pad_templates(GST_ELEMENT_FACTORY(parser)); t && !output;
       t = t->next) {
    const auto* pad = static_cast<const GstStaticPadTemplate*>(t->data);
    if (pad->direction == GST_PAD_SRC) output = gst_static_pad_template_get_caps(const_cast<GstStaticPadTemplate*>(pad));
  }
  if (!output) return best;
  // The ranked decoders, from the catalogue's decodable factories rather than another walk
  // of the whole registry for every parser.
  GList* decoders = nullptr;
  for (GstElementFactory* factory : Catalogue::Get().Decodable()) {
    if (gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(factory)) >= GST_RANK_MARGINAL &&
        gst_element_factory_list_is_type(factory, GST_ELEMENT_FACTORY_TYPE_DECODER))
      decoders = g_list_prepend(decoders, factory);
  }
  GList* taking = g_list_sort(gst_element_factory_list_filter(decoders, output, GST_PAD_SINK, FALSE),
                              gst_plugin_feature_rank_compare_func);
  if (taking) best = GstRef<GstPluginFeature>::Share(GST_PLUGIN_FEATURE(taking->data));
  gst_plugin_feature_list_free(taking);
  g_list_free(decoders);  // the catalogue keeps its references
  gst_caps_unref(output);
  return best;
}

void Load(GstPluginFeature* feature) {
  if (GstPluginFeature* loaded = gst_plugin_feature_load(feature)) gst_object_unref(loaded);
}

void Drain() {
  PreloadQueue& queue = Queue();
  for (;;) {
    Pending next;
    {
      std::lock_guard lock(queue.mutex);
      if (queue.pending.empty()) {
        queue.working = false;
        return;
      }
      next = std::move(queue.pending.front());
      queue.pending.pop_front();
    }
    Load(next.feature.get());
    if (!next.thenItsDecoder) continue;
    if (GstRef<GstPluginFeature> decoder = BestDecoderAfter(next.feature.get())) Load(decoder.get());
  }
}

}  // namespace

void PreloadFeature(GstPluginFeature* feature, bool thenItsDecoder) {
  if (!feature) return;
  PreloadQueue& queue = Queue();
  std::lock_guard lock(queue.mutex);
  queue.pending.push_back({GstRef<GstPluginFeature>::Share(feature), thenItsDecoder});
  if (queue.working) return;
  try {
    std::thread(Drain).detach();
    queue.working = true;
  } catch (const std::system_error& error) {
    // The plugins load when the graph asks for them instead.
    queue.pending.clear();
    NoteRefusedThread(error);
  }
}

}  // namespace ambrel::media::gst
