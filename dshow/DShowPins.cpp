// Names of filters and pins, pin directions and connections, counts, media types and the
// upstream search.
#include <algorithm>

#include "dshow/DShowHelper.h"

namespace ambrel {

using namespace media;

std::optional<std::string> FilterName(IBaseFilter* Filter) {
  FILTER_INFO info;
  if (!Filter || FAILED(Filter->QueryFilterInfo(info))) return {};
  return WideToUtf8(info.achName);
}

std::optional<std::string> PinName(IPin* Pin) {
  PIN_INFO info;
  if (!Pin || FAILED(Pin->QueryPinInfo(info))) return {};
  return WideToUtf8(info.achName);
}

namespace {
bool HasDirection(IPin* Pin, PIN_DIRECTION Wanted) {
  PIN_DIRECTION dir;
  return Pin && SUCCEEDED(Pin->QueryDirection(dir)) && dir == Wanted;
}
}  // namespace

bool IsInputPin(IPin* Pin) { return HasDirection(Pin, PINDIR_INPUT); }
bool IsOutputPin(IPin* Pin) { return HasDirection(Pin, PINDIR_OUTPUT); }

bool IsPinConnected(IPin* Pin) {
  ComPtr<IPin> peer;
  return Pin && SUCCEEDED(Pin->ConnectedTo(peer)) && peer;
}

int CountPins(IBaseFilter* Filter, PIN_DIRECTION Direction) {
  ComPtr<IEnumPins> pins;
  if (!Filter || FAILED(Filter->EnumPins(pins)) || !pins) return 0;
  int count = 0;
  ComPtr<IPin> pin;
  while (pins->Next(pin) == S_OK && pin) count += HasDirection(pin.Get(), Direction) ? 1 : 0;
  return count;
}

int CountMediaTypes(IPin* Pin) {
  ComPtr<IEnumMediaTypes> types;
  if (!Pin || FAILED(Pin->EnumMediaTypes(types)) || !types) return 0;
  int count = 0;
  std::unique_ptr<AM_MEDIA_TYPE> type;
  while (types->Next(type) == S_OK) {
    DisposeMediaType(type);
    ++count;
  }
  return count;
}

void DisposeMediaType(std::unique_ptr<AM_MEDIA_TYPE>& MediaType) { MediaType.reset(); }

namespace {

// Filter graphs have no cycles; the bound only guards against a framework that
// misreports connections.
constexpr int kMaxUpstreamDepth = 256;

bool IsClassUpstreamAt(IPin* Pin, const GUID& Clsid, int Depth) {
  PIN_INFO info;
  if (Depth > kMaxUpstreamDepth || !Pin || FAILED(Pin->QueryPinInfo(info)) || !info.pFilter) return false;
  GUID clsid;
  if (SUCCEEDED(info.pFilter->GetClassID(clsid)) && clsid == Clsid) return true;
  ComPtr<IEnumPins> pins;
  if (FAILED(info.pFilter->EnumPins(pins)) || !pins) return false;
  ComPtr<IPin> pin;
  while (pins->Next(pin) == S_OK && pin) {
    ComPtr<IPin> peer;
    if (IsInputPin(pin.Get()) && SUCCEEDED(pin->ConnectedTo(peer)) && peer &&
        IsClassUpstreamAt(peer.Get(), Clsid, Depth + 1)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool IsClassUpstream(IPin* Pin, const GUID& Clsid) { return IsClassUpstreamAt(Pin, Clsid, 0); }

}  // namespace ambrel
