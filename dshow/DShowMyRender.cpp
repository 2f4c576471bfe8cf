#include "dshow/DShowMyRender.h"

#include <cstdio>
#include <vector>

#include "report/LogWriter.h"
#include "base/TextUtil.h"

namespace ambrel {

using namespace media;

void TDShowMyRender::Log(const std::string& Text) {
  if (!FOnLog) return;
  const uint32_t elapsed = FFw.GetTickCount() - FStartTick;
  FOnLog(std::to_string(elapsed) + "> " + Text);
}

void TDShowMyRender::LogSuccess(const std::string& Text) { Log("<font color=\"#008800\">" + Text + "</font>"); }
void TDShowMyRender::LogError(const std::string& Text) { Log("<font color=\"#DD0000\">" + Text + "</font>"); }

void TDShowMyRender::LogResult(const std::string& Msg, HRESULT HR) {
  const std::string text = Msg + " : " + GetErrorText(FFw, HR);
  if (FAILED(HR)) {
    LogError(text);
  } else {
    LogSuccess(text);
  }
}

void TDShowMyRender::MyRenderFile(const std::string& FileName) {
  FComInitialized = SUCCEEDED(FFw.CoInitialize());
  FStartTick = FFw.GetTickCount();
  FTries = 0;
  FTooManyTriesLogged = false;
  Log("<b>MyRenderFile : " + Verbatim(ValidUtf8(FileName)) + "</b>");

  FLastResult = CoCreateInstanceAs(FFw, CLSID_FilterGraph, IID_IGraphBuilder, FGraph);
  LogResult("Creation of GraphBuilder", FLastResult);
  if (FAILED(FLastResult)) return;
  FLastResult = CoCreateInstanceAs(FFw, CLSID_FilterMapper2, IID_IFilterMapper2, FMapper);
  LogResult("Creation of FilterMapper2", FLastResult);
  if (FAILED(FLastResult)) return;
  FLastResult = RegisterGraphInRot();
  LogResult("Adding graph to ROT", FLastResult);
  if (FAILED(FLastResult)) return;
  ComPtr<IBaseFilter> source;
  FLastResult = FGraph->AddSourceFilter(ToWide(FileName), nullptr, source);
  LogResult("Creation of source filter", FLastResult);
  if (FAILED(FLastResult)) return;

  // A success that hands out no source leaves nothing to render: the run ends as for a
  // source without output pins.
  int outputs = 0;
  const int rendered = source ? RenderFilterOutputs(source.Get(), GetFilterDescription(source.Get()), 1, outputs) : 0;
  // The last line says what was built: nothing rendered, everything connected, or a
  // graph with output pins left free.
  if (rendered == 0) {
    LogResult("MyRenderFile finished", VFW_E_CANNOT_RENDER);
  } else if (AllOutputsConnected()) {
    LogResult("MyRenderFile finished", S_OK);
  } else {
    LogError("MyRenderFile finished : " + GetErrorText(FFw, VFW_S_PARTIAL_RENDER));
  }
}

void TDShowMyRender::ReleaseGraph() {
  FMapper.Reset();
  RevokeGraphFromRot();
  FRotRegister = 0;
  FGraph.Reset();
  if (FComInitialized) {
    FFw.CoUninitialize();
    FComInitialized = false;
  }
}

HRESULT TDShowMyRender::RegisterGraphInRot() {
  ComPtr<IRunningObjectTable> rot;
  HRESULT hr = FFw.GetRunningObjectTable(0, rot);
  if (FAILED(hr) || !rot) return FAILED(hr) ? hr : E_FAIL;
  // The address takes as many hexadecimal digits as a pointer has.
  char name[96];
  std::snprintf(name, sizeof name, "FilterGraph %0*llX pid %X", static_cast<int>(2 * sizeof(void*)),
                static_cast<unsigned long long>(FFw.GraphAddress(FGraph.Get())), FFw.GetCurrentProcessId());
  ComPtr<IMoniker> moniker;
  hr = FFw.CreateItemMoniker(u"!", Utf8ToWide(name), moniker);
  if (FAILED(hr) || !moniker) return FAILED(hr) ? hr : E_FAIL;
  return rot->Register(0, FGraph.Get(), moniker.Get(), FRotRegister);
}

HRESULT TDShowMyRender::RevokeGraphFromRot() {
  ComPtr<IRunningObjectTable> rot;
  const HRESULT hr = FFw.GetRunningObjectTable(0, rot);
  if (FAILED(hr) || !rot) return hr;
  return rot->Revoke(FRotRegister);
}

int TDShowMyRender::RenderFilterOutputs(IBaseFilter* Filter, const std::string& Path, int Level, int& Outputs) {
  Outputs = 0;
  int rendered = 0;
  ComPtr<IEnumPins> pins;
  if (FAILED(Filter->EnumPins(pins)) || !pins) return 0;
  ComPtr<IPin> pin;
  while (pins->Next(pin) == S_OK && pin) {
    if (!IsOutputPin(pin.Get())) continue;
    ++Outputs;
    if (!IsPinConnected(pin.Get()) && RenderOutputPin(pin.Get(), Path + "(" + GetPinDescription(pin.Get()) + ")", Level)) {
      ++rendered;
    }
  }
  return rendered;
}

bool TDShowMyRender::RenderOutputPin(IPin* Pin, const std::string& Path, int Level) {
  Log("<b># Rendering output pin </b>" + Path);
  FLastResult = ConnectToGraphFilters(Pin);
  if (SUCCEEDED(FLastResult)) return true;
  if (Level >= kMaxPathFilters) {
    LogError("Path too long (" + std::to_string(kMaxPathFilters) + " filters), no further filter tried.");
    return false;
  }

  const int count = CountMediaTypes(Pin);
  std::vector<GUID> types(2 * static_cast<size_t>(count));
  ComPtr<IEnumMediaTypes> typeEnum;
  if (SUCCEEDED(Pin->EnumMediaTypes(typeEnum)) && typeEnum) {
    std::unique_ptr<AM_MEDIA_TYPE> type;
    for (int k = 0; k < count && typeEnum->Next(type) == S_OK && type; ++k) {
      types[2 * k] = type->majortype;
      types[2 * k + 1] = type->subtype;
      DisposeMediaType(type);
    }
  }

  ComPtr<IEnumMoniker> monikers;
  FLastResult = FMapper->EnumMatchingFilters(monikers, 0, false, 0x600000, true, static_cast<uint32_t>(count),
                                             types.empty() ? nullptr : types.data(), nullptr, nullptr, false, false, 0,
                                             nullptr, nullptr, nullptr);
  if (FAILED(FLastResult) || !monikers) {
    LogResult("EnumMatchingFilters failed", FAILED(FLastResult) ? FLastResult : E_FAIL);
    return false;
  }

  std::string names;
  ComPtr<IMoniker> moniker;
  while (monikers->Next(moniker) == S_OK && moniker) {
    ComPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, bag)) || !bag) continue;
    std::u16string name;
    bag->Read(u"FriendlyName", name);
    names += ", " + VerbatimWide(name);
  }
  Log("Filters matching mediatype : " + (names.size() >= 2 ? names.substr(2) : std::string()));
  monikers->Reset();

  bool connected = false;
  bool stop = false;
  while (!connected && !stop && monikers->Next(moniker) == S_OK && moniker) {
    connected = TryCandidate(Pin, moniker.Get(), Path, Level, stop);
  }
  return connected;
}

std::u16string TDShowMyRender::CutFriendlyName(const std::u16string& Name) {
  // The graph keeps only so many units of a filter's name; the name with its colour tags
  // must fit whole, so that a closing tag is never cut off.
  const int64_t room = FFw.FilterNameChars() - static_cast<int64_t>(kColorTagsLength);
  if (room <= 0) return {};
  if (Name.size() <= static_cast<uint64_t>(room)) return Name;
  size_t keep = static_cast<size_t>(room);
  if (Name[keep - 1] >= 0xD800 && Name[keep - 1] <= 0xDBFF && Name[keep] >= 0xDC00 && Name[keep] <= 0xDFFF) --keep;
  return Name.substr(0, keep);
}

bool TDShowMyRender::TryCandidate(IPin* Pin, IMoniker* Moniker, const std::string& Path, int Level, bool& StopTrying) {
  std::string name;
  std::u16string graphName;
  GUID clsid = GUID_NULL;
  ComPtr<IPropertyBag> bag;
  if (SUCCEEDED(Moniker->BindToStorage(nullptr, bag)) && bag) {
    std::u16string text;
    if (SUCCEEDED(bag->Read(u"CLSID", text)) && !text.empty()) CLSIDFromString(text, clsid);
    text.clear();
    bag->Read(u"FriendlyName", text);
    const std::u16string cut = CutFriendlyName(text);
    name = ColorFilterName(VerbatimWide(cut));
    graphName = u"<font color=\"#0067AB\">" + cut + u"</font>";
  }
  if (clsid != GUID_NULL && IsClassUpstream(Pin, clsid)) return false;
  if (FTries >= kMaxConnectionTries) {
    if (!FTooManyTriesLogged) {
      LogError("Too many connection attempts (" + std::to_string(kMaxConnectionTries) + "), no further filter tried.");
      FTooManyTriesLogged = true;
    }
    StopTrying = true;
    return false;
  }
  ++FTries;
  Log("Trying connection to " + name + " :");

  ComPtr<IBaseFilter> filter;
  FLastResult = Moniker->BindToObject(nullptr, filter);
  if (FAILED(FLastResult) || !filter) {
    LogResult(name + " creation failed : ", FAILED(FLastResult) ? FLastResult : E_FAIL);
    return false;
  }
  if (clsid == GUID_NULL && SUCCEEDED(filter->GetClassID(clsid)) && IsClassUpstream(Pin, clsid)) {
    LogError("Filter is already downstream, skipping.");
    return false;
  }
  FLastResult = FGraph->AddFilter(filter.Get(), graphName);
  if (FAILED(FLastResult)) {
    LogResult(name + " AddFilter failed : ", FLastResult);
    return false;
  }
  FLastResult = ConnectToFilter(Pin, filter.Get());
  if (FAILED(FLastResult)) {
    LogError("Failed connecting pin to " + name + ", removing it now.");
    FGraph->RemoveFilter(filter.Get());
    return false;
  }
  if (CountPins(filter.Get(), PINDIR_OUTPUT) == 0) LogSuccess("<b>Completed path : " + Path + " -> " + name + "</b>");
  int outputs = 0;
  const int rendered = RenderFilterOutputs(filter.Get(), Path + " -> " + name, Level + 1, outputs);
  if (outputs > 0 && rendered == 0) {
    LogError("Backtracking, no output pin rendered for " + name + ", removing it now.");
    FGraph->RemoveFilter(filter.Get());
    return false;
  }
  return true;
}

HRESULT TDShowMyRender::ConnectToGraphFilters(IPin* OutPin) {
  ComPtr<IEnumFilters> filters;
  const HRESULT hr = FGraph->EnumFilters(filters);
  if (FAILED(hr) || !filters) return FAILED(hr) ? hr : E_FAIL;
  HRESULT result = E_FAIL;
  ComPtr<IBaseFilter> filter;
  while (FAILED(result) && filters->Next(filter) == S_OK && filter) result = ConnectToFilter(OutPin, filter.Get());
  return result;
}

HRESULT TDShowMyRender::ConnectToFilter(IPin* OutPin, IBaseFilter* Filter) {
  ComPtr<IEnumPins> pins;
  const HRESULT hr = Filter->EnumPins(pins);
  if (FAILED(hr) || !pins) return FAILED(hr) ? hr : E_FAIL;
  HRESULT result = E_FAIL;
  ComPtr<IPin> pin;
  while (FAILED(result) && pins->Next(pin) == S_OK && pin) {
    if (!IsInputPin(pin.Get()) || IsPinConnected(pin.Get())) continue;
    result = FGraph->ConnectDirect(OutPin, pin.Get(), nullptr);
    if (SUCCEEDED(result)) {
      LogSuccess("OK, connected to (" + GetPinDescription(pin.Get()) + ")" + GetFilterDescription(Filter));
    }
  }
  return result;
}

bool TDShowMyRender::AllOutputsConnected() {
  ComPtr<IEnumFilters> filters;
  if (FAILED(FGraph->EnumFilters(filters)) || !filters) return false;
  ComPtr<IBaseFilter> filter;
  while (filters->Next(filter) == S_OK && filter) {
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins)) || !pins) continue;
    ComPtr<IPin> pin;
    while (pins->Next(pin) == S_OK && pin) {
      if (IsOutputPin(pin.Get()) && !IsPinConnected(pin.Get())) return false;
    }
  }
  return true;
}

}  // namespace ambrel
