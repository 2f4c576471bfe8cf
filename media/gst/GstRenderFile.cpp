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
  // Told the type finder's answer once (see RenderFileAutomatically).
  std::function<void(DetectedType)> onType;
  std::atomic<bool> typeTold{false};
  DetectedType type;  // the caps filled in when found
  std::vector<GstRef<GstElement>> demuxers;  // under mutex

  void TellType(CapsRef caps) {
    if (typeTold.exchange(true) || !onType) return;
    DetectedType found = type;
    found.caps = std::move(caps);
    onType(std::move(found));
  }
};

// Adds a sink made by a factory to the graph and links a decoded pad to it; true when
// linked. A sink that does not take the pad leaves the graph at once: left there, it would
// wait to preroll on data that never comes, and the graph would never pause.
bool LinkToSink(RenderState& state, GstPad* pad, GstElementFactory* factory) {
  GstElement* element = gst_element_factory_create(factory, nullptr);
  if (!element) return false;
  // The graph is only prerolled: its sinks need not wait for a clock.
  g_object_set(element, "sync", FALSE, nullptr);
  gst_bin_add(GST_BIN(state.pipeline), element);
  GstRef<GstPad> sinkPad = GstRef<GstPad>::Adopt(gst_element_get_static_pad(element, "sink"));
  if (!sinkPad || !GST_PAD_LINK_SUCCESSFUL(gst_pad_link(pad, sinkPad.get()))) {
    gst_bin_remove(GST_BIN(state.pipeline), element);  // still stopped: nothing runs in it
    return false;
  }
  gst_element_sync_state_with_parent(element);
  return true;
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
  const bool linked = LinkToSink(state, pad, sink->factory.get());
  if (linked) {
    std::lock_guard lock(state.mutex);
    const std::string name = RendererNote(role, renderer);
    auto& used = state.outcome.renderers;
    if (std::find(used.begin(), used.end(), name) == used.end()) used.push_back(name);
  }
  return linked;
}

// A decoded stream that no renderer takes (raw audio of a sample format that does not
// exist, say) still ends at a sink that discards it: left unlinked, the demuxer would stop
// on it, and whether the graph paused first or that error came first would change the
// answer from run to run. The stream counts as not rendered either way.
void DiscardUnrendered(RenderState& state, GstPad* pad) {
  GstRef<GstElementFactory> discard = GstRef<GstElementFactory>::Adopt(gst_element_factory_find("fakesink"));
  if (discard) LinkToSink(state, pad, discard.get());
}

void OnPadAdded(GstElement*, GstPad* pad, RenderState* state) {
  const bool linked = LinkToRenderer(*state, pad);
  if (!linked) DiscardUnrendered(*state, pad);
  CapsRef caps = CapsRef::Adopt(gst_pad_get_current_caps(pad));
  RenderRole role = RenderRole::kVideo;
  const bool known = caps && RoleOfStructureName(StructureName(caps.get()), role);
  TStreamPlayback stream;
  const bool numbered = TrackOf(pad, stream);
  // Decoded streams learn their decoder once the graph has paused; until then they play
  // as they are (raw audio or video needs none).
  if (!linked || !known) {
    stream.Detail = "no renderer for " + CodecDescription(caps.get());
  } else if (role == RenderRole::kText) {
    stream.Detail = "subtitles are drawn by the player";
  } else {
    stream.Fate = TStreamFate::Plays;
  }
  std::lock_guard lock(state->mutex);
  ++state->outcome.streams;
  if (linked) ++state->outcome.rendered;
  if (numbered) state->outcome.playback.Streams.push_back(std::move(stream));
}

void OnUnknownType(GstElement*, GstPad* pad, GstCaps* caps, RenderState* state) {
  TStreamPlayback stream;
  const bool numbered = TrackOf(pad, stream);
  stream.Fate = TStreamFate::NoDecoder;
  stream.Detail = CodecDescription(caps);
  gchar* decoder = caps ? gst_pb_utils_get_decoder_description(caps) : nullptr;
  if (decoder) stream.MissingDecoder = decoder;
  g_free(decoder);
  std::lock_guard lock(state->mutex);
  ++state->outcome.streams;
  if (numbered) state->outcome.playback.Streams.push_back(std::move(stream));
}

// The decoder of each stream, from the paused graph: every decoder names the stream it
// decodes by the id its output carries.
void NameDecoders(GstElement* pipeline, std::vector<TStreamPlayback>& streams) {
  GstIterator* it = gst_bin_iterate_recurse(GST_BIN(pipeline));
  GValue item = G_VALUE_INIT;
  while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
    auto* element = GST_ELEMENT(g_value_get_object(&item));
    GstElementFactory* factory = gst_element_get_factory(element);
    const char* klass = factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS) : nullptr;
    GstRef<GstPad> src = GstRef<GstPad>::Adopt(gst_element_get_static_pad(element, "src"));
    TStreamPlayback decoded;
    if (klass && std::strstr(klass, "Decoder") && src && TrackOf(src.get(), decoded)) {
      for (TStreamPlayback& stream : streams) {
        if (stream.TrackNumber != decoded.TrackNumber || stream.TrackUid != decoded.TrackUid ||
            stream.Fate != TStreamFate::Plays || !stream.Element.empty())
          continue;
        stream.Element = GST_OBJECT_NAME(factory);
        stream.ElementName = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_LONGNAME);
        stream.Package = PackageOf(factory);
        break;
      }
    }
    g_value_reset(&item);
  }
  g_value_unset(&item);
  gst_iterator_free(it);
}

// The decoding bin is about to try these factories, best first: the best of each kind (the
// parser, the decoder, ...) is the one it will use when it works, and its plugin is loaded
// ahead while the stream still has work to do before it needs it. After a parser, the
// decoder used is the one for the parser's output, which the loading thread works out
// itself. The bin's own order is kept (no array is returned).
GValueArray* OnAutoplugSort(GstElement*, GstPad*, GstCaps*, GValueArray* factories, RenderState* state) {
  static constexpr const char* kKinds[] = {"Demux", "Parser", "Decoder", "Depayloader", "Decryptor"};
  constexpr size_t kParser = 1;
  constexpr size_t kDecoder = 2;
  GstElementFactory* best[std::size(kKinds)] = {};
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  for (guint i = 0; factories && i < factories->n_values; ++i) {
    auto* factory = static_cast<GstElementFactory*>(g_value_get_object(&factories->values[i]));
    const char* klass = factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS) : nullptr;
    for (size_t k = 0; klass && k < std::size(kKinds); ++k) {
      if (best[k] || !std::strstr(klass, kKinds[k])) continue;
      best[k] = factory;
      // A decoder after the parser is left to the parser's load, which picks the right one.
      if (k == kDecoder && best[kParser]) break;
      PreloadFeature(GST_PLUGIN_FEATURE(factory), k == kParser);
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

// A demuxer that fails on the file posts its error. The decoding bin drops errors of an
// element it is still setting up (so that it can try another), and the demuxer's streaming
// thread can fail in the moment between the bin starting it and the bin accepting it (the
// bin's thread is slower to get there under load): the error is then lost, and the graph
// would wait for outputs that never come until its time limit. Every demuxer of the graph
// is therefore watched:
// - one that announces it has no more outputs, having made none, tells the graph's wait
//   (after its error when that got through: the error reaches the bus first, from the
//   same thread);
// - one whose streaming task has stopped (at the end of the file or on an error) without
//   any output is found by the wait's polling (a demuxer that ends its task at the end of
//   the data without streams announces nothing).
// The answer is the same either way: the file format is invalid.
constexpr const char* kDemuxerWithoutOutputs = "ambrel-demuxer-without-outputs";

// Whether a watched demuxer has stopped reading without making any output.
bool DemuxerGaveUp(RenderState& state) {
  std::lock_guard lock(state.mutex);
  for (const GstRef<GstElement>& demuxer : state.demuxers) {
    GstElement* element = demuxer.get();
    GST_OBJECT_LOCK(element);
    bool stopped = element->numsrcpads == 0 && element->sinkpads != nullptr;
    for (GList* l = element->sinkpads; stopped && l; l = l->next)
      stopped = gst_pad_get_task_state(GST_PAD(l->data)) == GST_TASK_PAUSED;
    GST_OBJECT_UNLOCK(element);
    if (stopped) return true;
  }
  return false;
}

void OnDemuxerDone(GstElement* demuxer, RenderState* state) {
  if (demuxer->numsrcpads) return;
  GstBus* bus = gst_element_get_bus(state->pipeline);
  gst_bus_post(bus, gst_message_new_application(GST_OBJECT(demuxer), gst_structure_new_empty(kDemuxerWithoutOutputs)));
  gst_object_unref(bus);
}

// The decoding bin's type finder has found the file's type: a detailed rendering of the same
// file, waiting for it, can go on.
void OnHaveType(GstElement*, guint, GstCaps* caps, RenderState* state) {
  state->TellType(CapsRef::Adopt(caps ? gst_caps_ref(caps) : nullptr));
}

void OnDeepElementAdded(GstBin*, GstBin*, GstElement* element, RenderState* state) {
  GstElementFactory* factory = gst_element_get_factory(element);
  if (factory && std::strcmp(GST_OBJECT_NAME(factory), "typefind") == 0)
    g_signal_connect(element, "have-type", G_CALLBACK(OnHaveType), state);
  const char* klass = factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS) : nullptr;
  if (klass && std::strstr(klass, "Demux")) {
    g_signal_connect(element, "no-more-pads", G_CALLBACK(OnDemuxerDone), state);
    std::lock_guard lock(state->mutex);
    state->demuxers.push_back(GstRef<GstElement>::Share(element));
  }
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

// Whether the automatic graphs lose their demuxers' errors (for tests).
std::atomic<bool> demuxerErrorsDropped{false};

bool IsDemuxer(GstObject* object) {
  GstElementFactory* factory = GST_IS_ELEMENT(object) ? gst_element_get_factory(GST_ELEMENT(object)) : nullptr;
  const char* klass = factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS) : nullptr;
  return klass && std::strstr(klass, "Demux");
}

GstBusSyncReply DropDemuxerErrors(GstBus*, GstMessage* message, gpointer) {
  return GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR && IsDemuxer(GST_MESSAGE_SRC(message)) ? GST_BUS_DROP
                                                                                                : GST_BUS_PASS;
}

}  // namespace

void DropDemuxerErrors(bool drop) { demuxerErrorsDropped = drop; }

RenderOutcome RenderFileAutomatically(const std::string& path, std::function<void(DetectedType)> onType) {
  // The state outlives this call when a streaming thread is stuck past the time limit.
  auto state = std::make_shared<RenderState>();
  state->onType = std::move(onType);
  state->type.stamped = StampOf(path, state->type.stamp);
  RenderOutcome result;
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  GstElement* decode = nullptr;
  gchar* uri = nullptr;
  if (path.empty() || ec || !std::filesystem::is_regular_file(absolute, ec) ||
      !(uri = gst_filename_to_uri(absolute.c_str(), nullptr))) {
    result.hr = HRESULT_FILE_NOT_FOUND;
  } else if (!(decode = gst_element_factory_make("uridecodebin", nullptr))) {
    // A machine without the decoding bin has no automatic graph to build.
    result.hr = VFW_E_CANNOT_LOAD_SOURCE_FILTER;
  } else {
    state->pipeline = GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new(nullptr)));
    g_object_set(decode, "uri", uri, nullptr);
    gst_bin_add(GST_BIN(state->pipeline), decode);
    g_signal_connect(decode, "pad-added", G_CALLBACK(OnPadAdded), state.get());
    g_signal_connect(decode, "unknown-type", G_CALLBACK(OnUnknownType), state.get());
    g_signal_connect(decode, "no-more-pads", G_CALLBACK(OnNoMorePads), state.get());
    g_signal_connect(decode, "autoplug-sort", G_CALLBACK(OnAutoplugSort), state.get());
    g_signal_connect(state->pipeline, "deep-element-added", G_CALLBACK(OnDeepElementAdded), state.get());

    GstBus* bus = gst_element_get_bus(state->pipeline);
    if (demuxerErrorsDropped) gst_bus_set_sync_handler(bus, DropDemuxerErrors, nullptr, nullptr);
    HRESULT failure = S_OK;
    bool prerolled = false;
    if (gst_element_set_state(state->pipeline, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) failure = E_FAIL;
    const auto deadline = std::chrono::steady_clock::now() + CurrentTimeouts().render;
    // A demuxer seen to have given up is taken as failed on the next round, unless its error
    // (which it posts right after stopping) has come through meanwhile.
    bool gaveUp = false;
    while (!prerolled && SUCCEEDED(failure) && std::chrono::steady_clock::now() < deadline) {
      GstMessage* message = gst_bus_timed_pop(bus, 20 * GST_MSECOND);
      if (!message) {
        if (gaveUp) failure = VFW_E_INVALID_FILE_FORMAT;
        gaveUp = DemuxerGaveUp(*state);
        continue;
      }
      if (gst_is_missing_plugin_message(message)) {
        gchar* description = gst_missing_plugin_message_get_description(message);
        std::lock_guard lock(state->mutex);
        state->outcome.playback.Missing.push_back(description ? description : "");
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
    result.playback.Told = true;
    result.playback.Complete = prerolled;
    if (prerolled) NameDecoders(state->pipeline, result.playback.Streams);
    // A type finder that never announced its type (a graph that failed before) may still
    // hold one.
    state->TellType(FoundType(state->pipeline));
    // A graph that errs does not play, whatever it had built; one that pauses plays the
    // streams that reached a sink.
    if (!prerolled && SUCCEEDED(failure)) NoteTimeOut();
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
  }
  g_free(uri);
  state->TellType(CapsRef());
  return result;
}

bool StampOf(const std::string& path, FileStamp& stamp) {
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0) return false;
  stamp = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), static_cast<uint64_t>(st.st_size),
           static_cast<int64_t>(st.st_mtim.tv_sec), static_cast<int64_t>(st.st_mtim.tv_nsec)};
  return true;
}

void RenderSession::Start(const std::string& path) {
  std::promise<DetectedType> typeFound;
  std::shared_future<DetectedType> type = typeFound.get_future().share();
  std::promise<RenderOutcome> promise;
  std::shared_future<RenderOutcome> run = promise.get_future().share();
  {
    std::lock_guard lock(mutex_);
    if (run_.valid() && path_ == path) return;  // already started for it, not taken yet
    path_ = path;
    run_ = run;
    type_ = type;
  }
  // Detached: a run nobody takes any more finishes on its own (a program that ends waits
  // for it, bounded).
  auto promised = std::make_shared<std::promise<RenderOutcome>>(std::move(promise));
  auto told = std::make_shared<std::promise<DetectedType>>(std::move(typeFound));
  const bool started = RunDetached([path, promised, told] {
    promised->set_value(CheckRenderFile(path, [told](DetectedType found) { told->set_value(std::move(found)); }));
  });
  if (!started) {
    // No thread for the run (the refusal is noted): it fails at once rather than being
    // waited for.
    RenderOutcome refused;
    refused.hr = E_OUTOFMEMORY;
    promised->set_value(refused);
    told->set_value(DetectedType{});
  }
}

bool RenderSession::Take(const std::string& path, RenderOutcome& outcome) {
  const std::shared_future<RenderOutcome> run = TakeFor(path, run_);
  if (!run.valid()) return false;
  // The run ends within its own time limit; the margin covers a streaming thread that holds
  // the graph's state change.
  if (run.wait_for(CurrentTimeouts().render + CurrentTimeouts().preroll) != std::future_status::ready) {
    NoteTimeOut();
    outcome = RenderOutcome{};
    outcome.hr = VFW_E_TIMEOUT;
    outcome.playback.Told = true;  // the graph was built, and did not get to the end
  } else {
    outcome = run.get();
  }
  return true;
}

void RenderSession::Record(const RenderOutcome& outcome) {
  std::lock_guard lock(mutex_);
  last_ = outcome;
}

RenderOutcome RenderSession::Last() const {
  std::lock_guard lock(mutex_);
  return last_;
}

bool RenderSession::TakeDetectedType(const std::string& path, CapsRef& type) {
  const std::shared_future<DetectedType> found = TakeFor(path, type_);
  if (!found.valid()) return false;
  if (found.wait_for(CurrentTimeouts().render) != std::future_status::ready) return false;
  const DetectedType& then = found.get();
  FileStamp now;
  if (!then.caps || !then.stamped || !StampOf(path, now) || !(now == then.stamp)) return false;
  type = then.caps;
  return true;
}

}  // namespace ambrel::media::gst
