// The filter graph: a pipeline that is built pad by pad and never played. Only a demuxer
// whose input was just connected is started (paused), for a bounded time, so that its
// output pads appear.
#include <gst/base/gsttypefindhelper.h>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>

#include "media/gst/GstBackend.h"

namespace ambrel::media::gst {

namespace {

GstPin* AsPin(IPin* pin) { return dynamic_cast<GstPin*>(pin); }

bool HasSometimesSource(GstElement* element) {
  for (const GList* l = gst_element_class_get_pad_template_list(GST_ELEMENT_GET_CLASS(element)); l; l = l->next) {
    auto* templ = GST_PAD_TEMPLATE(l->data);
    if (GST_PAD_TEMPLATE_DIRECTION(templ) == GST_PAD_SRC && GST_PAD_TEMPLATE_PRESENCE(templ) == GST_PAD_SOMETIMES)
      return true;
  }
  return false;
}

HRESULT FromLinkResult(GstPadLinkReturn result) {
  switch (result) {
    case GST_PAD_LINK_OK:
      return S_OK;
    case GST_PAD_LINK_WRONG_HIERARCHY:
      return VFW_E_NOT_IN_GRAPH;
    case GST_PAD_LINK_WAS_LINKED:
      return VFW_E_ALREADY_CONNECTED;
    case GST_PAD_LINK_WRONG_DIRECTION:
      return VFW_E_INVALID_DIRECTION;
    case GST_PAD_LINK_NOFORMAT:
      return VFW_E_NO_ACCEPTABLE_TYPES;
    default:
      return VFW_E_CANNOT_CONNECT;
  }
}

void UnlinkAll(GstElement* element) {
  GST_OBJECT_LOCK(element);
  std::vector<GstRef<GstPad>> pads;
  for (GList* l = GST_ELEMENT_PADS(element); l; l = l->next) pads.push_back(GstRef<GstPad>::Share(GST_PAD(l->data)));
  GST_OBJECT_UNLOCK(element);
  for (const GstRef<GstPad>& pad : pads) {
    GstRef<GstPad> peer = GstRef<GstPad>::Adopt(gst_pad_get_peer(pad.get()));
    if (!peer) continue;
    if (GST_PAD_DIRECTION(pad.get()) == GST_PAD_SRC)
      gst_pad_unlink(pad.get(), peer.get());
    else
      gst_pad_unlink(peer.get(), pad.get());
  }
}

bool IsDecoder(GstElement* element) {
  GstElementFactory* factory = gst_element_get_factory(element);
  const char* klass = factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS) : nullptr;
  return klass && std::strstr(klass, "Decoder");
}

// Whether a decoder takes a stream of these caps: it must accept them when asked, and set
// itself up for them when they arrive (some decoders accept the question and then refuse
// the stream itself). The decoder is paused for the caps and stopped again: the graph
// never decodes. Caps not yet fixed (an output that has not seen data) cannot be sent, and
// are taken on the templates' word.
bool DecoderTakes(GstElement* decoder, GstPad* input, GstCaps* caps) {
  if (!gst_caps_is_fixed(caps)) return true;
  if (!gst_pad_query_accept_caps(input, caps)) return false;
  if (gst_element_set_state(decoder, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
    gst_element_set_state(decoder, GST_STATE_NULL);
    return false;
  }
  gst_pad_send_event(input, gst_event_new_stream_start("ambrel-connection-check"));
  const bool taken = gst_pad_send_event(input, gst_event_new_caps(caps));
  gst_element_set_state(decoder, GST_STATE_NULL);
  return taken;
}

}  // namespace

GstGraph::GstGraph(std::shared_ptr<RenderSession> session)
    : pipeline_(GstRef<GstElement>::Adopt(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new(nullptr))))),
      session_(std::move(session)) {}

GstGraph::~GstGraph() {
  // The demuxer threads are stopped on a thread of its own, which keeps the references it
  // needs: releasing a graph does not wait for them.
  std::vector<GstRef<GstElement>> elements;
  for (ComPtr<GstFilter>& filter : filters_) {
    elements.push_back(GstRef<GstElement>::Share(filter->Element()));
    filter->SetGraph(nullptr);
  }
  RunDetached([pipeline = pipeline_, elements] {
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    for (const GstRef<GstElement>& element : elements) {
      UnlinkAll(element.get());
      gst_bin_remove(GST_BIN(pipeline.get()), element.get());
    }
  });
}

HRESULT GstGraph::Join(GstFilter* filter, const std::u16string& name) {
  // A name already held gets the first free " 0001", " 0002", ... suffix.
  std::set<std::u16string> held;
  for (const ComPtr<GstFilter>& f : filters_) held.insert(f->Name());
  std::u16string joined = name;
  for (unsigned k = 1; held.count(joined); ++k) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, " %04u", k);
    joined = name + Utf8ToWide(suffix);
  }
  if (!gst_bin_add(GST_BIN(pipeline_.get()), filter->Element())) return E_FAIL;
  filter->SetName(joined);
  filter->SetGraph(this);
  filters_.push_back(ComPtr<GstFilter>(filter));
  return joined == name ? S_OK : VFW_S_DUPLICATE_NAME;
}

HRESULT GstGraph::AddFilter(IBaseFilter* filter, const std::u16string& name) {
  auto* f = dynamic_cast<GstFilter*>(filter);
  if (!f) return E_POINTER;
  if (f->Graph()) return VFW_E_DUPLICATE_NAME;
  return Join(f, name);
}

HRESULT GstGraph::RemoveFilter(IBaseFilter* filter) {
  auto* f = dynamic_cast<GstFilter*>(filter);
  if (!f || f->Graph() != this) return VFW_E_NOT_FOUND;
  f->SetGraph(nullptr);
  std::erase_if(filters_, [f](const ComPtr<GstFilter>& x) { return x.Get() == f; });
  const bool stopped = RunBounded(
      [pipeline = pipeline_, element = GstRef<GstElement>::Share(f->Element())] {
        UnlinkAll(element.get());
        gst_element_set_state(element.get(), GST_STATE_NULL);
        gst_bin_remove(GST_BIN(pipeline.get()), element.get());
        return true;
      },
      CurrentTimeouts().preroll);
  return stopped ? S_OK : VFW_E_TIMEOUT;
}

HRESULT GstGraph::EnumFilters(ComPtr<IEnumFilters>& filters) {
  filters = MakeCom<ListEnum<IEnumFilters, ComPtr<IBaseFilter>>>(
      std::vector<ComPtr<IBaseFilter>>(filters_.begin(), filters_.end()));
  return S_OK;
}

bool GstGraph::Reaches(GstFilter* from, GstFilter* to) const {
  std::vector<GstFilter*> pending{from};
  std::set<GstFilter*> seen;
  while (!pending.empty()) {
    GstFilter* f = pending.back();
    pending.pop_back();
    if (f == to) return true;
    if (!seen.insert(f).second) continue;
    GST_OBJECT_LOCK(f->Element());
    for (GList* l = GST_ELEMENT_PADS(f->Element()); l; l = l->next) {
      GstPad* pad = GST_PAD(l->data);
      GstPad* peer = GST_PAD_PEER(pad);
      if (GST_PAD_DIRECTION(pad) != GST_PAD_SRC || !peer) continue;
      if (GstFilter* next = GstFilter::OfElement(GST_PAD_PARENT(peer))) pending.push_back(next);
    }
    GST_OBJECT_UNLOCK(f->Element());
  }
  return false;
}

HRESULT GstGraph::ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* mediaType) {
  GstPin* out = AsPin(output);
  GstPin* in = AsPin(input);
  if (!out || !in || out->Filter()->Graph() != this || in->Filter()->Graph() != this) return VFW_E_NOT_IN_GRAPH;
  if (!out->IsOutput() || in->IsOutput()) return VFW_E_INVALID_DIRECTION;
  if (gst_pad_is_linked(out->Pad()) || gst_pad_is_linked(in->Pad())) return VFW_E_ALREADY_CONNECTED;
  if (Reaches(in->Filter(), out->Filter())) return VFW_E_CIRCULAR_GRAPH;
  CapsRef offered = mediaType ? CapsOfMediaType(*mediaType) : CapsRef();
  if (!offered) offered = out->Caps();
  if (!offered || gst_caps_is_empty(offered.get())) return VFW_E_NO_TYPES;
  CapsRef accepted = in->Caps();
  if (!accepted || !gst_caps_can_intersect(offered.get(), accepted.get())) return VFW_E_NO_ACCEPTABLE_TYPES;
  const HRESULT hr = FromLinkResult(gst_pad_link(out->Pad(), in->Pad()));
  if (FAILED(hr)) return hr;
  GstElement* downstream = in->Filter()->Element();
  if (IsDecoder(downstream) && !DecoderTakes(downstream, in->Pad(), offered.get())) {
    gst_pad_unlink(out->Pad(), in->Pad());
    return VFW_E_NO_ACCEPTABLE_TYPES;
  }
  if (HasSometimesSource(downstream) && !downstream->numsrcpads) {
    const HRESULT preroll = Preroll(downstream);
    if (FAILED(preroll)) {
      gst_pad_unlink(out->Pad(), in->Pad());
      gst_element_set_state(downstream, GST_STATE_NULL);
      return preroll;
    }
  }
  return S_OK;
}

HRESULT GstGraph::Preroll(GstElement* element) {
  // The flag outlives this call when the demuxer announces its outputs while the wait is
  // being abandoned.
  auto* noMorePads = new std::shared_ptr<std::atomic<bool>>(std::make_shared<std::atomic<bool>>(false));
  const std::shared_ptr<std::atomic<bool>> done = *noMorePads;
  const gulong handler = g_signal_connect_data(
      element, "no-more-pads",
      G_CALLBACK(+[](GstElement* demuxer, std::shared_ptr<std::atomic<bool>>* flag) {
        PauseReading(demuxer);
        **flag = true;
        // Wakes the wait below at once rather than at its next poll.
        gst_element_post_message(demuxer, gst_message_new_application(GST_OBJECT(demuxer),
                                                                      gst_structure_new_empty("ambrel-no-more-pads")));
      }),
      noMorePads,
      [](gpointer flag, GClosure*) { delete static_cast<std::shared_ptr<std::atomic<bool>>*>(flag); },
      GConnectFlags(0));
  GstRef<GstBus> bus = GstRef<GstBus>::Adopt(gst_element_get_bus(pipeline_.get()));
  gst_bus_set_flushing(bus.get(), TRUE);
  gst_bus_set_flushing(bus.get(), FALSE);
  if (GST_STATE_TARGET(pipeline_.get()) < GST_STATE_PAUSED)
    gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
  else
    gst_element_sync_state_with_parent(element);

  // Every wait of a graph draws on one allowance, so that a run trying many demuxers
  // still ends in bounded time.
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + std::min<std::chrono::steady_clock::duration>(CurrentTimeouts().preroll, prerollLeft_);
  bool failed = false;
  while (!*done && !failed && std::chrono::steady_clock::now() < deadline) {
    GstMessage* message = gst_bus_timed_pop(bus.get(), 20 * GST_MSECOND);
    if (!message) continue;
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) failed = true;
    gst_message_unref(message);
  }
  g_signal_handler_disconnect(element, handler);
  const auto spent = std::chrono::steady_clock::now() - start;
  prerollLeft_ = spent >= prerollLeft_ ? std::chrono::steady_clock::duration::zero() : prerollLeft_ - spent;
  // A demuxer stops with an error once it finds its outputs unlinked; what it exposed
  // before that is what counts.
  if (element->numsrcpads) return S_OK;
  if (failed) return VFW_E_INVALID_FILE_FORMAT;
  NoteTimeOut();
  return VFW_E_TIMEOUT;
}

HRESULT GstGraph::AddSourceFilter(const std::u16string& fileName, const std::u16string* filterName,
                                  ComPtr<IBaseFilter>& filter) {
  filter.Reset();
  const std::string path = PathBytes(fileName);
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return HRESULT_FILE_NOT_FOUND;
  CapsRef type;
  if (!session_->TakeDetectedType(path, type)) {
    if (const HRESULT found = DetectType(path, type); FAILED(found)) return found;
  }

  // The source: the file read as the type finders saw it, the detected type on its output.
  GstElement* bin = gst_bin_new(nullptr);
  GstElement* file = gst_element_factory_make("filesrc", nullptr);
  GstElement* typefind = gst_element_factory_make("typefind", nullptr);
  if (!file || !typefind) {
    if (file) gst_object_unref(gst_object_ref_sink(file));
    if (typefind) gst_object_unref(gst_object_ref_sink(typefind));
    gst_object_unref(gst_object_ref_sink(bin));
    return VFW_E_CANNOT_LOAD_SOURCE_FILTER;
  }
  g_object_set(file, "location", path.c_str(), nullptr);
  g_object_set(typefind, "force-caps", type.get(), nullptr);
  gst_bin_add_many(GST_BIN(bin), file, typefind, nullptr);
  gst_element_link(file, typefind);
  GstRef<GstPad> inner = GstRef<GstPad>::Adopt(gst_element_get_static_pad(typefind, "src"));
  GstPad* ghost = gst_ghost_pad_new("src", inner.get());
  gst_element_add_pad(bin, ghost);

  const FactoryRecord* fileSource = Catalogue::Get().ByName("filesrc");
  auto source = MakeCom<GstFilter>(GstRef<GstElement>::Adopt(GST_ELEMENT(gst_object_ref_sink(bin))),
                                   fileSource ? fileSource->Clsid() : NameGuid("gstreamer-element:filesrc"));
  source->SetOfferedCaps(ghost, type);
  const HRESULT hr = Join(source.Get(), filterName ? *filterName : fileName);
  if (FAILED(hr)) return hr;
  filter = ComPtr<IBaseFilter>(source.Get());
  return hr;
}

HRESULT GstGraph::RenderFile(const std::u16string& fileName, const std::u16string*) {
  const std::string path = PathBytes(fileName);
  // A run started ahead for the file is taken; otherwise one is started now.
  session_->Start(path);
  RenderOutcome outcome;
  session_->Take(path, outcome);
  session_->Record(outcome);
  return outcome.hr;
}

}  // namespace ambrel::media::gst
