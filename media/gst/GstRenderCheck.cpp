// The RenderFile check: the graph the framework's automatic graph would build, chosen and
// connected by media type, without running data past the demuxer's headers. The type
// finders pick the demuxer; the demuxer reads the file's headers and announces its
// outputs, and its task stops there; each output is then given the candidates the
// autoplugger would try, in its order, and a decoder counts only when it takes the
// stream's actual caps. Everything but the demuxer's reading happens on the calling thread.
#include <gst/pbutils/pbutils.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "media/gst/GstBackend.h"

namespace ambrel::media::gst {

namespace {

// The decodable factories of marginal rank and above, best rank first (the autoplugger's
// own list, made once: the registry does not change while a process runs).
GList* DecodableByRank() {
  static GList* const list = [] {
    GList* all = gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODABLE, GST_RANK_MARGINAL);
    return g_list_sort(all, gst_plugin_feature_rank_compare_func);
  }();
  return list;
}

// The candidates for caps, in the order the autoplugger tries them.
std::vector<GstRef<GstElementFactory>> CandidatesFor(GstCaps* caps) {
  std::vector<GstRef<GstElementFactory>> out;
  GList* fit = gst_element_factory_list_filter(DecodableByRank(), caps, GST_PAD_SINK, FALSE);
  for (GList* l = fit; l; l = l->next) out.push_back(GstRef<GstElementFactory>::Share(GST_ELEMENT_FACTORY(l->data)));
  gst_plugin_feature_list_free(fit);
  return out;
}

bool HasClass(GstElementFactory* factory, const char* kind) {
  const char* klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
  return klass && std::strstr(klass, kind);
}

GstPad* StaticPad(GstElement* element, const char* name) { return gst_element_get_static_pad(element, name); }

// Pauses an element made for the check and hands it the stream's caps, as its upstream
// would before the first data; true when it takes them. With output, the caps its source
// pad announced then (empty when it waits for data to say).
bool TakesCaps(GstElementFactory* factory, GstCaps* caps, CapsRef* output) {
  GstElement* element = gst_element_factory_create(factory, nullptr);
  if (!element) return false;
  gst_object_ref_sink(element);
  GstRef<GstPad> sink = GstRef<GstPad>::Adopt(StaticPad(element, "sink"));
  bool taken = sink && gst_pad_query_accept_caps(sink.get(), caps) &&
               gst_element_set_state(element, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE;
  if (taken) {
    gst_pad_send_event(sink.get(), gst_event_new_stream_start("ambrel-render-check"));
    taken = gst_pad_send_event(sink.get(), gst_event_new_caps(caps));
  }
  if (taken && output) {
    GstRef<GstPad> src = GstRef<GstPad>::Adopt(StaticPad(element, "src"));
    if (src) *output = CapsRef::Adopt(gst_pad_get_current_caps(src.get()));
  }
  gst_element_set_state(element, GST_STATE_NULL);
  gst_object_unref(element);
  return taken;
}

// The caps a factory's source templates offer, narrowed to the input's format where that
// fits (a parser passes its input's format on), fixed.
CapsRef PassedOn(GstElementFactory* factory, GstCaps* input) {
  for (const GList* l = gst_element_factory_get_static_pad_templates(factory); l; l = l->next) {
    const auto* templ = static_cast<const GstStaticPadTemplate*>(l->data);
    if (templ->direction != GST_PAD_SRC) continue;
    CapsRef own = CapsRef::Adopt(gst_static_caps_get(const_cast<GstStaticCaps*>(&templ->static_caps)));
    CapsRef passed = CapsRef::Adopt(gst_caps_intersect(input, own.get()));
    if (passed && !gst_caps_is_empty(passed.get())) return CapsRef::Adopt(gst_caps_fixate(gst_caps_ref(passed.get())));
  }
  return {};
}

// The structure name of what a decoder puts out.
std::string OutputName(GstElementFactory* factory) {
  for (const GList* l = gst_element_factory_get_static_pad_templates(factory); l; l = l->next) {
    const auto* templ = static_cast<const GstStaticPadTemplate*>(l->data);
    if (templ->direction != GST_PAD_SRC) continue;
    CapsRef own = CapsRef::Adopt(gst_static_caps_get(const_cast<GstStaticCaps*>(&templ->static_caps)));
    if (own && !gst_caps_is_any(own.get()) && gst_caps_get_size(own.get()))
      return gst_structure_get_name(gst_caps_get_structure(own.get(), 0));
  }
  return {};
}

// What the candidates make of one stream.
struct Chain {
  GstRef<GstElementFactory> decoder;            // the decoder that takes it
  std::vector<GstRef<GstElementFactory>> refused;  // decoders that refused it
  std::string output;                           // the structure name it reaches
};

constexpr int kMaxChain = 4;

// Follows the candidates for caps as the autoplugger does, best first: a parser is
// followed by what decodes its output, a decoder must take the caps; decoded (raw)
// caps end the chain. A parser is not followed by another parser.
bool Plug(GstCaps* caps, int depth, bool parsed, Chain& chain) {
  if (!caps || gst_caps_is_empty(caps) || !gst_caps_get_size(caps)) return false;
  const std::string name = gst_structure_get_name(gst_caps_get_structure(caps, 0));
  RenderRole role;
  if (RoleOfStructureName(name, role)) {
    chain.output = name;
    return true;
  }
  if (depth >= kMaxChain) return false;
  for (const GstRef<GstElementFactory>& factory : CandidatesFor(caps)) {
    if (HasClass(factory.get(), "Parser")) {
      if (parsed) continue;
      CapsRef output;
      if (!TakesCaps(factory.get(), caps, &output)) continue;
      if (!output || !gst_caps_is_fixed(output.get())) output = PassedOn(factory.get(), caps);
      if (output && Plug(output.get(), depth + 1, true, chain)) return true;
    } else if (HasClass(factory.get(), "Decoder")) {
      if (!TakesCaps(factory.get(), caps, nullptr)) {
        chain.refused.push_back(factory);
        continue;
      }
      chain.decoder = factory;
      chain.output = OutputName(factory.get());
      return true;
    }
  }
  return false;
}

// Whether this machine's renderers for decoded caps take them (a stand-in, as in the
// automatic graph); the note names the renderer reached.
bool Rendered(const std::string& output, GstCaps* raw, std::string& note) {
  RenderRole role;
  if (!RoleOfStructureName(output, role)) return false;
  const std::vector<Renderer>& renderers = RenderersFor(role);
  const FactoryRecord* sink = StandInFor(role);
  if (renderers.empty() || !sink) return false;
  if (raw && !gst_element_factory_can_sink_any_caps(sink->factory.get(), raw)) return false;
  note = RendererNote(role, renderers.front());
  return true;
}

struct Demuxing {
  std::mutex mutex;
  std::vector<GstRef<GstPad>> pads;
};

void OnDemuxerPad(GstElement*, GstPad* pad, Demuxing* demuxing) {
  std::lock_guard lock(demuxing->mutex);
  demuxing->pads.push_back(GstRef<GstPad>::Share(pad));
}

constexpr const char* kOutputsAnnounced = "ambrel-outputs-announced";

// On the demuxer's streaming thread: stops its reading (see PauseReading) and wakes the wait.
void OnOutputsAnnounced(GstElement* demuxer, gpointer) {
  PauseReading(demuxer);
  gst_element_post_message(demuxer,
                           gst_message_new_application(GST_OBJECT(demuxer), gst_structure_new_empty(kOutputsAnnounced)));
}

// Whether the demuxer's task has stopped without any output (at the end of the data or on
// an error it may not have posted).
bool GaveUp(GstElement* demuxer) {
  GST_OBJECT_LOCK(demuxer);
  bool stopped = demuxer->numsrcpads == 0 && demuxer->sinkpads != nullptr;
  for (GList* l = demuxer->sinkpads; stopped && l; l = l->next)
    stopped = gst_pad_get_task_state(GST_PAD(l->data)) == GST_TASK_PAUSED;
  GST_OBJECT_UNLOCK(demuxer);
  return stopped;
}

// Reads the file's headers with the demuxer the type's candidates start with; S_OK and the
// outputs it announced, or why not.
HRESULT Demux(const std::string& path, GstCaps* type, GstElement* pipeline, std::vector<GstRef<GstPad>>& pads) {
  GstRef<GstElementFactory> chosen;
  for (const GstRef<GstElementFactory>& factory : CandidatesFor(type)) {
    if (HasClass(factory.get(), "Demux")) {
      chosen = factory;
      break;
    }
  }
  if (!chosen) return VFW_E_CANNOT_RENDER;
  GstElement* source = gst_element_factory_make("filesrc", nullptr);
  GstElement* demuxer = gst_element_factory_create(chosen.get(), nullptr);
  if (!source || !demuxer) {
    if (source) gst_object_unref(gst_object_ref_sink(source));
    if (demuxer) gst_object_unref(gst_object_ref_sink(demuxer));
    return VFW_E_CANNOT_LOAD_SOURCE_FILTER;
  }
  g_object_set(source, "location", path.c_str(), nullptr);
  gst_bin_add_many(GST_BIN(pipeline), source, demuxer, nullptr);
  if (!gst_element_link(source, demuxer)) return VFW_E_CANNOT_RENDER;
  // The demuxing state outlives this call while a streaming thread may still add a pad.
  auto demuxing = std::make_shared<Demuxing>();
  g_signal_connect_data(
      demuxer, "pad-added",
      G_CALLBACK(+[](GstElement* element, GstPad* pad, std::shared_ptr<Demuxing>* kept) {
        OnDemuxerPad(element, pad, kept->get());
      }),
      new std::shared_ptr<Demuxing>(demuxing),
      [](gpointer data, GClosure*) { delete static_cast<std::shared_ptr<Demuxing>*>(data); }, GConnectFlags(0));
  g_signal_connect(demuxer, "no-more-pads", G_CALLBACK(OnOutputsAnnounced), nullptr);

  GstRef<GstBus> bus = GstRef<GstBus>::Adopt(gst_element_get_bus(pipeline));
  constexpr HRESULT kPending = S_FALSE;
  HRESULT result = kPending;
  if (gst_element_set_state(pipeline, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) result = VFW_E_INVALID_FILE_FORMAT;
  const auto deadline = std::chrono::steady_clock::now() + CurrentTimeouts().render;
  bool gaveUp = false;
  while (result == kPending && std::chrono::steady_clock::now() < deadline) {
    GstMessage* message = gst_bus_timed_pop(bus.get(), 20 * GST_MSECOND);
    if (!message) {
      // Seen stopped twice in a row: its error, posted right after stopping, would be here.
      if (gaveUp) result = VFW_E_INVALID_FILE_FORMAT;
      gaveUp = GaveUp(demuxer);
      continue;
    }
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_APPLICATION && gst_message_has_name(message, kOutputsAnnounced)) {
      result = demuxer->numsrcpads ? S_OK : VFW_E_INVALID_FILE_FORMAT;
    } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
      GError* error = nullptr;
      gst_message_parse_error(message, &error, nullptr);
      result = FromError(error);
      g_error_free(error);
    }
    gst_message_unref(message);
  }
  if (result == kPending) {
    NoteTimeOut();
    result = VFW_E_TIMEOUT;
  }
  std::lock_guard lock(demuxing->mutex);
  pads = demuxing->pads;
  return result;
}

// The codec ID of a stream the demuxer exposes without knowing its codec
// ("audio/x-unknown, codec-id=A_ALAC"); null for any other.
const char* UnknownCodecId(GstCaps* caps) {
  const std::string name = StructureName(caps);
  if (name != "audio/x-unknown" && name != "video/x-unknown" && name != "subtitle/x-unknown") return nullptr;
  return gst_structure_get_string(gst_caps_get_structure(caps, 0), "codec-id");
}

// What the candidates make of one demuxer output.
void CheckStream(GstPad* pad, RenderOutcome& outcome) {
  CapsRef caps = CapsRef::Adopt(gst_pad_get_current_caps(pad));
  TStreamPlayback stream;
  const bool numbered = TrackOf(pad, stream);
  ++outcome.streams;
  Chain chain;
  std::string note;
  RenderRole role = RenderRole::kVideo;
  const bool raw = caps && RoleOfStructureName(StructureName(caps.get()), role);
  if (caps && Plug(caps.get(), 0, false, chain) && Rendered(chain.output, raw ? caps.get() : nullptr, note)) {
    ++outcome.rendered;
    auto& used = outcome.renderers;
    if (std::find(used.begin(), used.end(), note) == used.end()) used.push_back(note);
    RoleOfStructureName(chain.output, role);
    if (role == RenderRole::kText) {
      stream.Detail = "subtitles are drawn by the player";
    } else {
      stream.Fate = TStreamFate::Plays;
      if (chain.decoder) {
        GstElementFactory* decoder = chain.decoder.get();
        stream.Element = GST_OBJECT_NAME(decoder);
        stream.ElementName = gst_element_factory_get_metadata(decoder, GST_ELEMENT_METADATA_LONGNAME);
        stream.Package = PackageOf(decoder);
      }
    }
  } else if (raw || chain.decoder) {
    stream.Detail = "no renderer for " + CodecDescription(caps.get());
  } else if (const char* codecId = UnknownCodecId(caps.get())) {
    // The demuxer does not know the codec: no element can be offered it, installed or not.
    stream.Fate = TStreamFate::NoDecoder;
    const char* fourcc = gst_structure_get_string(gst_caps_get_structure(caps.get(), 0), "fourcc");
    stream.Detail = std::string(codecId) + (fourcc ? std::string(" (FOURCC ") + fourcc + ")" : "") +
                    ": no GStreamer element decodes it in Matroska";
  } else {
    stream.Fate = TStreamFate::NoDecoder;
    stream.Detail = CodecDescription(caps.get());
    if (!chain.refused.empty()) {
      // Installed, asked, and refused the stream's caps: named so that the verdict says so.
      GstElementFactory* refused = chain.refused.front().get();
      stream.Element = GST_OBJECT_NAME(refused);
      stream.ElementName = gst_element_factory_get_metadata(refused, GST_ELEMENT_METADATA_LONGNAME);
      stream.Package = PackageOf(refused);
    }
    gchar* decoder = caps ? gst_pb_utils_get_decoder_description(caps.get()) : nullptr;
    if (decoder) {
      stream.MissingDecoder = decoder;
      outcome.playback.Missing.push_back(decoder);
    }
    g_free(decoder);
  }
  if (numbered) outcome.playback.Streams.push_back(std::move(stream));
}

}  // namespace

RenderOutcome CheckRenderFile(const std::string& path, std::function<void(DetectedType)> onType) {
  RenderOutcome result;
  DetectedType detected;
  detected.stamped = StampOf(path, detected.stamp);
  std::error_code ec;
  CapsRef type;
  GstRef<GstElementFactory> source = GstRef<GstElementFactory>::Adopt(gst_element_factory_find("filesrc"));
  if (path.empty() || !std::filesystem::is_regular_file(path, ec)) {
    result.hr = HRESULT_FILE_NOT_FOUND;
  } else if (!source) {
    // A machine without the file source (GStreamer without its core plugins) reads nothing.
    result.hr = VFW_E_CANNOT_LOAD_SOURCE_FILTER;
  } else if (const HRESULT found = DetectType(path, type); FAILED(found)) {
    result.hr = found == E_ACCESSDENIED ? HRESULT_FILE_NOT_FOUND : found;
  }
  detected.caps = type;
  if (onType) onType(detected);
  if (FAILED(result.hr)) return result;

  GstElement* pipeline = GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new(nullptr)));
  std::vector<GstRef<GstPad>> pads;
  result.hr = Demux(path, type.get(), pipeline, pads);
  result.playback.Told = true;
  if (SUCCEEDED(result.hr)) {
    for (const GstRef<GstPad>& pad : pads) CheckStream(pad.get(), result);
    result.playback.Complete = true;
    result.hr = result.rendered == 0                ? VFW_E_CANNOT_RENDER
                : result.rendered == result.streams ? S_OK
                                                    : VFW_S_PARTIAL_RENDER;
  }
  // Stopped on a thread of its own, as the automatic graph is: a demuxer thread still
  // inside a step keeps the answer waiting no longer.
  pads.clear();
  RunDetached([pipeline] {
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
  });
  return result;
}

}  // namespace ambrel::media::gst
