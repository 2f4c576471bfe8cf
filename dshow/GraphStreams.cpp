#include "dshow/GraphStreams.h"

#include <cstdio>
#include <vector>

#include "dshow/DShowHelper.h"

namespace ambrel {

using namespace media;

namespace {

// The GUIDs the system derives from a FOURCC or a wave format tag: XXXXXXXX-0000-0010-8000-00AA00389B71.
bool IsFourccGuid(const GUID& G) {
  static constexpr uint8_t kTail[8] = {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  if (G.Data2 != 0x0000 || G.Data3 != 0x0010) return false;
  for (int i = 0; i < 8; ++i) {
    if (G.Data4[i] != kTail[i]) return false;
  }
  return true;
}

std::string FourccText(uint32_t Code) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    const char c = static_cast<char>((Code >> (8 * i)) & 0xFF);
    text += c >= 0x20 && c < 0x7F ? c : '.';
  }
  return text;
}

constexpr uint32_t kVids = 0x73646976, kAuds = 0x73647561, kTxts = 0x73747874;
// MEDIATYPE_Stream (a byte stream) and MEDIATYPE_Subtitle.
constexpr GUID kStreamMajor{0xE436EB83, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr GUID kSubtitleMajor{0xE487EB08, 0x6B26, 0x4BE9, {0x9D, 0xD3, 0x99, 0x34, 0x34, 0xD3, 0x13, 0xFD}};

// The pin's first media type; none when it offers none.
std::unique_ptr<AM_MEDIA_TYPE> FirstType(IPin* Pin) {
  ComPtr<IEnumMediaTypes> types;
  std::unique_ptr<AM_MEDIA_TYPE> type;
  if (FAILED(Pin->EnumMediaTypes(types)) || !types || types->Next(type) != S_OK) return nullptr;
  return type;
}

std::vector<ComPtr<IPin>> Pins(IBaseFilter* Filter, PIN_DIRECTION Direction) {
  std::vector<ComPtr<IPin>> found;
  ComPtr<IEnumPins> pins;
  if (FAILED(Filter->EnumPins(pins)) || !pins) return found;
  ComPtr<IPin> pin;
  for (int guard = 0; guard < 4096 && pins->Next(pin) == S_OK; ++guard) {
    PIN_DIRECTION dir;
    if (pin && SUCCEEDED(pin->QueryDirection(dir)) && dir == Direction) found.push_back(pin);
  }
  return found;
}

ComPtr<IBaseFilter> FilterOf(IPin* Pin) {
  PIN_INFO info;
  if (FAILED(Pin->QueryPinInfo(info))) return {};
  return info.pFilter;
}

ComPtr<IPin> Peer(IPin* Pin) {
  ComPtr<IPin> peer;
  if (FAILED(Pin->ConnectedTo(peer))) return {};
  return peer;
}

// The source filter: the first filter of the graph without inputs that has outputs.
ComPtr<IBaseFilter> SourceOf(IFilterGraph& Graph) {
  ComPtr<IEnumFilters> filters;
  if (FAILED(Graph.EnumFilters(filters)) || !filters) return {};
  ComPtr<IBaseFilter> filter;
  for (int guard = 0; guard < 4096 && filters->Next(filter) == S_OK; ++guard) {
    if (filter && Pins(filter.Get(), PINDIR_INPUT).empty() && !Pins(filter.Get(), PINDIR_OUTPUT).empty())
      return filter;
  }
  return {};
}

uint8_t TrackTypeOf(const AM_MEDIA_TYPE* Type) {
  if (!Type) return 0;
  if (IsFourccGuid(Type->majortype)) {
    if (Type->majortype.Data1 == kVids) return 1;
    if (Type->majortype.Data1 == kAuds) return 2;
    if (Type->majortype.Data1 == kTxts) return 0x11;
  }
  return Type->majortype == kSubtitleMajor ? 0x11 : 0;
}

}  // namespace

std::string MediaTypeText(const AM_MEDIA_TYPE& Type) {
  std::string major = GuidToString(Type.majortype);
  if (IsFourccGuid(Type.majortype)) {
    if (Type.majortype.Data1 == kVids) major = "video";
    if (Type.majortype.Data1 == kAuds) major = "audio";
    if (Type.majortype.Data1 == kTxts) major = "text";
  } else if (Type.majortype == kSubtitleMajor) {
    major = "subtitle";
  }
  if (!IsFourccGuid(Type.subtype)) return major + " " + GuidToString(Type.subtype);
  if (Type.subtype.Data1 <= 0xFFFF) {
    char tag[8];
    std::snprintf(tag, sizeof tag, "0x%04X", static_cast<unsigned>(Type.subtype.Data1));
    return major + " wFormatTag " + tag;
  }
  return major + " FOURCC " + FourccText(Type.subtype.Data1);
}

TRenderFileStreams StreamsOfGraph(IMediaFramework& Fw, IFilterGraph& Graph) {
  TRenderFileStreams told;
  ComPtr<IBaseFilter> splitter = SourceOf(Graph);
  if (!splitter) return told;
  // A source that reads bytes feeds the splitter through its one output.
  const std::vector<ComPtr<IPin>> sourceOut = Pins(splitter.Get(), PINDIR_OUTPUT);
  const std::unique_ptr<AM_MEDIA_TYPE> sourceType = FirstType(sourceOut.front().Get());
  if (sourceOut.size() == 1 && sourceType && sourceType->majortype == kStreamMajor) {
    const ComPtr<IPin> peer = Peer(sourceOut.front().Get());
    splitter = peer ? FilterOf(peer.Get()) : ComPtr<IBaseFilter>();
    if (!splitter) return told;
  }
  told.Told = told.Complete = true;
  for (const ComPtr<IPin>& pin : Pins(splitter.Get(), PINDIR_OUTPUT)) {
    TStreamPlayback stream;
    const std::unique_ptr<AM_MEDIA_TYPE> type = FirstType(pin.Get());
    stream.TrackType = TrackTypeOf(type.get());
    const ComPtr<IPin> peer = Peer(pin.Get());
    const ComPtr<IBaseFilter> next = peer ? FilterOf(peer.Get()) : ComPtr<IBaseFilter>();
    if (!next) {
      stream.Fate = TStreamFate::NoFilter;
      stream.Detail = type ? MediaTypeText(*type) : "its stream (its pin offers no media type)";
    } else {
      stream.Fate = TStreamFate::Plays;
      if (!Pins(next.Get(), PINDIR_OUTPUT).empty()) {
        stream.ElementName = FilterName(next.Get()).value_or("");
        CLSID clsid{};
        if (SUCCEEDED(next->GetClassID(clsid))) stream.Element = WideToUtf8(GetFilterFileName(Fw, clsid));
        if (stream.ElementName.empty()) stream.ElementName = GuidToString(clsid);
      }
    }
    told.Streams.push_back(std::move(stream));
  }
  return told;
}

}  // namespace ambrel
