// Coloured names of filters and pins, pin directions and connections, counts, media
// types and the upstream search.
#include <algorithm>

#include "dshow/DShowHelper.h"
#include "report/LogWriter.h"

namespace ambrel {

using namespace media;

namespace {

const char kFilterColor[] = "<font color=\"#0067AB\">";
const char16_t kFilterColorWide[] = u"<font color=\"#0067AB\">";
const char16_t kFontEndWide[] = u"</font>";

std::string Wrap(const char* Tag, const std::string& Text) { return Tag + Text + "</font>"; }

}  // namespace

std::string ColorFilterName(const std::string& Text) { return Wrap(kFilterColor, Text); }
std::string ColorInputPinName(const std::string& Text) { return Wrap("<font color=\"#CC00AA\">", Text); }
std::string ColorOutputPinName(const std::string& Text) { return Wrap("<font color=\"#EA7500\">", Text); }

std::string GraphNameText(const std::u16string& Name) {
  const std::u16string_view open = kFilterColorWide;
  if (Name.compare(0, open.size(), open) != 0) return VerbatimWide(Name);
  const std::u16string rest = Name.substr(open.size());
  const size_t close = rest.rfind(kFontEndWide);
  if (close == std::u16string::npos) return kFilterColor + VerbatimWide(rest);
  return ColorFilterName(VerbatimWide(rest.substr(0, close))) +
         VerbatimWide(rest.substr(close + std::u16string_view(kFontEndWide).size()));
}

std::string GetFilterDescription(IBaseFilter* Filter) {
  FILTER_INFO info;
  if (!Filter || FAILED(Filter->QueryFilterInfo(info))) return {};
  return ColorFilterName(GraphNameText(info.achName));
}

std::string GetPinDescription(IPin* Pin) {
  PIN_INFO info;
  if (!Pin || FAILED(Pin->QueryPinInfo(info))) return {};
  const std::string name = VerbatimWide(info.achName);
  return IsInputPin(Pin) ? ColorInputPinName(name) : ColorOutputPinName(name);
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
