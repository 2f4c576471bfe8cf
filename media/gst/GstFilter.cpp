// Filters are elements, pins are their pads.
#include <gst/pbutils/pbutils.h>

#include "media/gst/GstBackend.h"

namespace ambrel::media::gst {

namespace {

constexpr const char* kWrapperKey = "ambrel-filter";

// An output whose format is settled is named with it, as the framework's discoverer names
// it ("video_0 (H.264 (High Profile))"); other pads by their name.
std::u16string PadName(GstPad* pad, const CapsRef& offered) {
  std::string name = GST_PAD_NAME(pad);
  CapsRef caps = GST_PAD_DIRECTION(pad) != GST_PAD_SRC ? CapsRef()
                 : offered                             ? offered
                                                       : CapsRef::Adopt(gst_pad_get_current_caps(pad));
  if (caps && gst_caps_is_fixed(caps.get())) {
    if (gchar* description = gst_pb_utils_get_codec_description(caps.get())) {
      name += std::string(" (") + description + ")";
      g_free(description);
    }
  }
  return Utf8ToWide(name);
}

}  // namespace

GstFilter::GstFilter(GstRef<GstElement> element, const GUID& clsid) : element_(std::move(element)), clsid_(clsid) {
  g_object_set_data(G_OBJECT(element_.get()), kWrapperKey, this);
}

GstFilter::~GstFilter() { g_object_set_data(G_OBJECT(element_.get()), kWrapperKey, nullptr); }

GstFilter* GstFilter::OfElement(GstElement* element) {
  return element ? static_cast<GstFilter*>(g_object_get_data(G_OBJECT(element), kWrapperKey)) : nullptr;
}

HRESULT GstFilter::EnumPins(ComPtr<IEnumPins>& pins) {
  std::vector<ComPtr<IPin>> items;
  GST_OBJECT_LOCK(element_.get());
  std::vector<GstRef<GstPad>> pads;
  for (GList* l = GST_ELEMENT_PADS(element_.get()); l; l = l->next)
    pads.push_back(GstRef<GstPad>::Share(GST_PAD(l->data)));
  GST_OBJECT_UNLOCK(element_.get());
  for (GstRef<GstPad>& pad : pads) items.push_back(MakeCom<GstPin>(ComPtr<GstFilter>(this), std::move(pad)));
  pins = MakeCom<ListEnum<IEnumPins, ComPtr<IPin>>>(std::move(items));
  return S_OK;
}

HRESULT GstFilter::QueryFilterInfo(FILTER_INFO& info) {
  info.achName = CutName(name_);
  info.pGraph = ComPtr<IFilterGraph>(graph_);
  return S_OK;
}

HRESULT GstFilter::GetClassID(CLSID& clsid) {
  clsid = clsid_;
  return S_OK;
}

void GstFilter::SetOfferedCaps(GstPad* pad, CapsRef caps) { offered_[pad] = std::move(caps); }

CapsRef GstFilter::OfferedCaps(GstPad* pad) const {
  const auto it = offered_.find(pad);
  return it == offered_.end() ? CapsRef() : it->second;
}

GstPin::GstPin(ComPtr<GstFilter> filter, GstRef<GstPad> pad) : filter_(std::move(filter)), pad_(std::move(pad)) {}

HRESULT GstPin::QueryDirection(PIN_DIRECTION& dir) {
  dir = IsOutput() ? PINDIR_OUTPUT : PINDIR_INPUT;
  return S_OK;
}

HRESULT GstPin::QueryPinInfo(PIN_INFO& info) {
  info.pFilter = ComPtr<IBaseFilter>(filter_.Get());
  info.dir = IsOutput() ? PINDIR_OUTPUT : PINDIR_INPUT;
  info.achName = CutName(PadName(pad_.get(), filter_->OfferedCaps(pad_.get())));
  return S_OK;
}

HRESULT GstPin::ConnectedTo(ComPtr<IPin>& peer) {
  peer.Reset();
  GstRef<GstPad> other = GstRef<GstPad>::Adopt(gst_pad_get_peer(pad_.get()));
  if (other) peer = PinOfPad(other.get());
  return peer ? S_OK : VFW_E_NOT_CONNECTED;
}

CapsRef GstPin::Caps() const {
  if (CapsRef offered = filter_->OfferedCaps(pad_.get())) return offered;
  CapsRef own = CapsRef::Adopt(gst_pad_query_caps(pad_.get(), nullptr));
  if (!IsOutput()) return own;
  if (CapsRef current = CapsRef::Adopt(gst_pad_get_current_caps(pad_.get()))) return current;
  // Before data flows an output only knows its templates. Where the format it receives
  // fits them (a parser passes its input's format on), that format is what it will offer.
  GstElement* element = filter_->Element();
  GST_OBJECT_LOCK(element);
  std::vector<GstRef<GstPad>> inputs;
  for (GList* l = element->sinkpads; l; l = l->next) inputs.push_back(GstRef<GstPad>::Share(GST_PAD(l->data)));
  GST_OBJECT_UNLOCK(element);
  for (const GstRef<GstPad>& input : inputs) {
    GstRef<GstPad> peer = GstRef<GstPad>::Adopt(gst_pad_get_peer(input.get()));
    ComPtr<IPin> upstream = peer ? PinOfPad(peer.get()) : ComPtr<IPin>();
    auto* pin = dynamic_cast<GstPin*>(upstream.Get());
    CapsRef received = pin ? pin->Caps() : CapsRef();
    if (!received || !own) continue;
    CapsRef passed = CapsRef::Adopt(gst_caps_intersect(received.get(), own.get()));
    if (!gst_caps_is_empty(passed.get())) return passed;
  }
  return own;
}

HRESULT GstPin::EnumMediaTypes(ComPtr<IEnumMediaTypes>& types) {
  types = MakeMediaTypeEnum(SplitCaps(Caps().get()));
  return S_OK;
}

ComPtr<IPin> PinOfPad(GstPad* pad) {
  GstRef<GstElement> parent = GstRef<GstElement>::Adopt(gst_pad_get_parent_element(pad));
  GstFilter* filter = GstFilter::OfElement(parent.get());
  if (!filter) return {};
  return MakeCom<GstPin>(ComPtr<GstFilter>(filter), GstRef<GstPad>::Share(pad));
}

}  // namespace ambrel::media::gst
