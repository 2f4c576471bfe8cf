// The framework's own automatic graph for a file: the decoding bin opens the file, every
// stream it decodes goes to a sink for its kind, and the graph is paused (prerolled) so
// that every decoder and sink has taken data. The answer counts the streams
// that reached a sink against the streams the file holds.
#include <gst/pbutils/pbutils.h>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <thread>

#include "media/gst/GstBackend.h"

namespace ambrel::media::gst {

namespace {

struct RenderState {
  std::mutex mutex;
  GstElement* pipeline = nullptr;
  RenderOutcome outcome;
  bool noMorePads = false;
  std::atomic<bool> sinksPreloaded{false};
};

std::string StructureName(GstCaps* caps) {
  return caps && gst_caps_get_size(caps) ? gst_structure_get_name(gst_caps_get_structure(caps, 0)) : "";
}

// How the report names a renderer: its long name, and why a stand-in took a device's place.
std::string RendererNote(RenderRole role, const Renderer& renderer) {
  std::string note = renderer.record->longName;
  if (renderer.standIn) {
    note += role == RenderRole::kAudio   ? " (no usable sound device: the decoded audio is discarded)"
            : role == RenderRole::kVideo ? " (no usable display: the decoded video is discarded)"
                                         : " (decoded subtitles, which players draw onto the video)";
  }
  return note;
}

// Links a decoded pad to a sink; true when linked. The sink is the role's stand-in even
// where the machine has a device renderer: pausing a display or sound sink would open a
// window or a sound stream, and the device renderer was already seen to open its device.
// The note names the renderer the stream reaches on this machine.
bool LinkToRenderer(RenderState& state, GstPad* pad) {
  CapsRef caps = CapsRef::Adopt(gst_pad_get_current_caps(pad));
  if (!caps) caps = CapsRef::Adopt(gst_pad_query_caps(pad, nullptr));
  RenderRole role;
  if (!RoleOfStructureName(StructureName(caps.get()), role)) return false;
  const std::vector<Renderer>& renderers = RenderersFor(role);
  const FactoryRecord* sink = StandInFor(role);
  if (renderers.empty() || !sink) return false;
  const Renderer& renderer = renderers.front();
  GstElement* element = gst_element_factory_create(sink->factory.get(), nullptr);
  if (!element) return false;
  // The graph is only prerolled: its sinks need not wait for a clock.
  g_object_set(element, "sync", FALSE, nullptr);
  gst_bin_add(GST_BIN(state.pipeline), element);
  GstRef<GstPad> sinkPad = GstRef<GstPad>::Adopt(gst_element_get_static_pad(element, "sink"));
  const bool linked = sinkPad && GST_PAD_LINK_SUCCESSFUL(gst_pad_link(pad, sinkPad.get()));
  gst_element_sync_state_with_parent(element);
  if (linked) {
    std::lock_guard lock(state.mutex);
    const std::string name = RendererNote(role, renderer);
    auto& used = state.outcome.renderers;
    if (std::find(used.begin(), used.end(), name) == used.end()) used.push_back(name);
  }
  return linked;
}

void OnPadAdded(GstElement*, GstPad* pad, RenderState* state) {
  const bool linked = LinkToRenderer(*state, pad);
  std::lock_guard lock(state->mutex);
  ++state->outcome.streams;
  if (linked) ++state->outcome.rendered;
}

void OnUnknownType(GstElement*, GstPad*, GstCaps*, RenderState* state) {
  std::lock_guard lock(state->mutex);
  ++state->outcome.streams;
}

// The decoding bin is about to try these factories, best first: the best of each kind (the
// parser, the decoder, ...) is the one it will use when it works, and its plugin is loaded
// ahead while the stream still has work to do before it needs it. The bin's own order is
// kept (no array is returned).
GValueArray* OnAutoplugSort(GstElement*, GstPad*, GstCaps*, GValueArray* factories, RenderState* state) {
  static constexpr const char* kKinds[] = {"Demux", "Parser", "Decoder", "Depayloader", "Decryptor"};
  bool seen[std::size(kKinds)] = {};
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  for (guint i = 0; factories && i < factories->n_values; ++i) {
    auto* factory = static_cast<GstElementFactory*>(g_value_get_object(&factories->values[i]));
    const char* klass = factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS) : nullptr;
    for (size_t k = 0; klass && k < std::size(kKinds); ++k) {
      if (seen[k] || !std::strstr(klass, kKinds[k])) continue;
      seen[k] = true;
      PreloadFeature(GST_PLUGIN_FEATURE(factory));
      break;
    }
  }
  G_GNUC_END_IGNORE_DEPRECATIONS
  // The stand-in sinks take the decoded streams. Their plugin loads after the first
  // stream's demuxer (GStreamer loads one plugin at a time), while the demuxer reads the
  // file's headers.
  if (!state->sinksPreloaded.exchange(true)) {
    for (RenderRole role : {RenderRole::kVideo, RenderRole::kAudio, RenderRole::kText}) {
      if (GstPluginFeature* sink = gst_registry_lookup_feature(gst_registry_get(), StandInName(role))) {
        PreloadFeature(sink);
        gst_object_unref(sink);
      }
    }
  }
  return nullptr;
}

// A demuxer that fails on the file posts its error and then announces that it has no more
// outputs, having made none. The decoding bin drops errors of an element it is still
// setting up (so that it can try another), and the demuxer's streaming thread can fail in
// the moment between the bin starting it and the bin accepting it: the error is then lost,
// and the graph waits for outputs that will never come, until its time limit. Every
// demuxer of the graph is watched: one that ends without outputs tells the graph's wait,
// after its error when that got through (the error reaches the bus first, from the same
// thread), so the answer is the same either way.
constexpr const char* kDemuxerWithoutOutputs = "ambrel-demuxer-without-outputs";

void OnDemuxerDone(GstElement* demuxer, RenderState* state) {
  if (demuxer->numsrcpads) return;
  GstBus* bus = gst_element_get_bus(state->pipeline);
  gst_bus_post(bus, gst_message_new_application(GST_OBJECT(demuxer), gst_structure_new_empty(kDemuxerWithoutOutputs)));
  gst_object_unref(bus);
}

void OnDeepElementAdded(GstBin*, GstBin*, GstElement* element, RenderState* state) {
  GstElementFactory* factory = gst_element_get_factory(element);
  const char* klass = factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS) : nullptr;
  if (klass && std::strstr(klass, "Demux")) g_signal_connect(element, "no-more-pads", G_CALLBACK(OnDemuxerDone), state);
  // The graph only has to show that each decoder takes the stream and yields a frame: libav's
  // video decoders, left to choose, decode several frames at once on as many threads, so
  // that the first frame waits for the frames begun with it and the threads outlive the
  // answer. One thread decodes the same frames (libav's threading does not change what it
  // decodes) and hands the first one over at once.
  if (factory && g_str_has_prefix(GST_OBJECT_NAME(factory), "avdec_") &&
      g_object_class_find_property(G_OBJECT_GET_CLASS(element), "max-threads"))
    g_object_set(element, "max-threads", 1, nullptr);
}

void OnNoMorePads(GstElement*, RenderState* state) {
  std::lock_guard lock(state->mutex);
  state->noMorePads = true;
}

// The type the decoding bin's type finder found: the caps of the graph's one type finder,
// empty when it found none or the graph holds several.
CapsRef FoundType(GstElement* pipeline) {
  GstIterator* it = gst_bin_iterate_recurse(GST_BIN(pipeline));
  GValue item = G_VALUE_INIT;
  CapsRef found;
  int finders = 0;
  for (bool done = false; !done;) {
    switch (gst_iterator_next(it, &item)) {
      case GST_ITERATOR_OK: {
        auto* element = GST_ELEMENT(g_value_get_object(&item));
        GstElementFactory* factory = gst_element_get_factory(element);
        if (factory && std::strcmp(GST_OBJECT_NAME(factory), "typefind") == 0) {
          GstCaps* caps = nullptr;
          g_object_get(element, "caps", &caps, nullptr);
          found = CapsRef::Adopt(caps);
          ++finders;
        }
        g_value_reset(&item);
        break;
      }
      case GST_ITERATOR_RESYNC:
        gst_iterator_resync(it);
        found = CapsRef();
        finders = 0;
        break;
      default:
        done = true;
        break;
    }
  }
  g_value_unset(&item);
  gst_iterator_free(it);
  return finders == 1 ? found : CapsRef();
}

HRESULT FromError(GError* error) {
  if (error->domain == GST_RESOURCE_ERROR &&
      (error->code == GST_RESOURCE_ERROR_NOT_FOUND || error->code == GST_RESOURCE_ERROR_OPEN_READ))
    return HRESULT_FILE_NOT_FOUND;
  if (error->domain == GST_STREAM_ERROR && error->code == GST_STREAM_ERROR_TYPE_NOT_FOUND)
    return VFW_E_UNKNOWN_FILE_TYPE;
  if ((error->domain == GST_STREAM_ERROR && error->code == GST_STREAM_ERROR_CODEC_NOT_FOUND) ||
      (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN))
    return VFW_E_CANNOT_RENDER;
  return VFW_E_INVALID_FILE_FORMAT;
}

std::mutex lastMutex;
RenderOutcome last;

}  // namespace

RenderOutcome RenderFileAutomatically(const std::string& path) {
  FileStamp stamp;
  const bool stamped = StampOf(path, stamp);
  RenderOutcome result;
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (path.empty() || ec || !std::filesystem::is_regular_file(absolute, ec)) {
    result.hr = HRESULT_FILE_NOT_FOUND;
  } else if (gchar* uri = gst_filename_to_uri(absolute.c_str(), nullptr)) {
    // The state outlives this call when a streaming thread is stuck past the time limit.
    auto state = std::make_shared<RenderState>();
    state->pipeline = GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new(nullptr)));
    GstElement* decode = gst_element_factory_make("uridecodebin", nullptr);
    g_object_set(decode, "uri", uri, nullptr);
    g_free(uri);
    gst_bin_add(GST_BIN(state->pipeline), decode);
    g_signal_connect(decode, "pad-added", G_CALLBACK(OnPadAdded), state.get());
    g_signal_connect(decode, "unknown-type", G_CALLBACK(OnUnknownType), state.get());
    g_signal_connect(decode, "no-more-pads", G_CALLBACK(OnNoMorePads), state.get());
    g_signal_connect(decode, "autoplug-sort", G_CALLBACK(OnAutoplugSort), state.get());
    g_signal_connect(state->pipeline, "deep-element-added", G_CALLBACK(OnDeepElementAdded), state.get());

    GstBus* bus = gst_element_get_bus(state->pipeline);
    HRESULT failure = S_OK;
    bool prerolled = false;
    if (gst_element_set_state(state->pipeline, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) failure = E_FAIL;
    const auto deadline = std::chrono::steady_clock::now() + CurrentTimeouts().render;
    while (!prerolled && SUCCEEDED(failure) && std::chrono::steady_clock::now() < deadline) {
      GstMessage* message = gst_bus_timed_pop(bus, 20 * GST_MSECOND);
      if (!message) continue;
      if (gst_is_missing_plugin_message(message)) {
        gchar* description = gst_missing_plugin_message_get_description(message);
        std::lock_guard lock(state->mutex);
        state->outcome.missing.push_back(description ? description : "");
        g_free(description);
      } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ASYNC_DONE) {
        prerolled = true;
      } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_APPLICATION &&
                 gst_message_has_name(message, kDemuxerWithoutOutputs)) {
        // The demuxer's error, when it got through, came first and ended the wait: this is
        // the error the decoding bin dropped (a demuxer failing on the file).
        failure = VFW_E_INVALID_FILE_FORMAT;
      } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        failure = FromError(error);
        g_error_free(error);
      }
      gst_message_unref(message);
    }
    gst_object_unref(bus);
    {
      std::lock_guard lock(state->mutex);
      result = state->outcome;
    }
    if (stamped && (prerolled || FAILED(failure))) {
      result.path = path;
      result.stamp = stamp;
      result.detectedType = FoundType(state->pipeline);
    }
    // A graph that errs does not play, whatever it had built; one that pauses plays the
    // streams that reached a sink.
    if (FAILED(failure))
      result.hr = failure;
    else if (!prerolled)
      result.hr = VFW_E_TIMEOUT;
    else
      result.hr = result.rendered == 0 ? VFW_E_CANNOT_RENDER
                  : result.rendered == result.streams ? S_OK
                                                      : VFW_S_PARTIAL_RENDER;
    // The graph is stopped on a thread of its own: the answer does not wait for the
    // streaming threads to wind down, and a thread stuck in a plugin keeps the state it uses.
    GstElement* pipeline = state->pipeline;
    RunDetached([pipeline, state] {
      gst_element_set_state(pipeline, GST_STATE_NULL);
      gst_object_unref(pipeline);
    });
  } else {
    result.hr = HRESULT_FILE_NOT_FOUND;
  }
  return result;
}

bool StampOf(const std::string& path, FileStamp& stamp) {
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0) return false;
  stamp = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), static_cast<uint64_t>(st.st_size),
           static_cast<int64_t>(st.st_mtim.tv_sec), static_cast<int64_t>(st.st_mtim.tv_nsec)};
  return true;
}

bool TakeDetectedType(const std::string& path, CapsRef& type) {
  CapsRef found;
  FileStamp then;
  {
    std::lock_guard lock(lastMutex);
    if (!last.detectedType || last.path != path) return false;
    found = std::move(last.detectedType);
    last.detectedType = CapsRef();
    then = last.stamp;
  }
  FileStamp now;
  if (!StampOf(path, now) || !(now == then)) return false;
  type = std::move(found);
  return true;
}

RenderOutcome LastRenderOutcome() {
  std::lock_guard lock(lastMutex);
  return last;
}

void RecordRenderOutcome(const RenderOutcome& outcome) {
  std::lock_guard lock(lastMutex);
  last = outcome;
}

void PreparedRenders::Start(const std::string& path) {
  {
    std::lock_guard lock(mutex_);
    if (run_.valid() && path_ == path) return;  // already started for it, not taken yet
  }
  std::promise<RenderOutcome> promise;
  std::shared_future<RenderOutcome> run = promise.get_future().share();
  // Detached: a run nobody takes any more finishes on its own.
  std::thread([path, promise = std::move(promise)]() mutable {
    promise.set_value(RenderFileAutomatically(path));
  }).detach();
  std::lock_guard lock(mutex_);
  path_ = path;
  run_ = std::move(run);
}

bool PreparedRenders::Take(const std::string& path, RenderOutcome& outcome) {
  std::shared_future<RenderOutcome> run;
  {
    std::lock_guard lock(mutex_);
    if (!run_.valid() || path_ != path) return false;
    run = std::move(run_);
    run_ = {};
    path_.clear();
  }
  outcome = run.get();
  return true;
}

}  // namespace ambrel::media::gst
