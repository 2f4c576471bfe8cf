#include "dshow/DShowMyRender.h"

#include <cstdio>
#include <string>
#include <vector>

#include "base/TextUtil.h"
#include "base/Utf16.h"

namespace ambrel {

using namespace media;

void TDShowMyRender::Note(TRenderStep Step) {
  if (!FOnStep) return;
  Step.Elapsed = FFw.GetTickCount() - FStartTick;
  FOnStep(Step);
}

void TDShowMyRender::NoteResult(TRenderStepKind Kind, HRESULT HR, TShownName Filter) {
  TRenderStep step(Kind);
  step.Result = HR;
  step.ResultText = GetErrorText(FFw, HR);
  step.Filter = std::move(Filter);
  Note(std::move(step));
}

void TDShowMyRender::NoteFilter(TRenderStepKind Kind, TShownName Filter) {
  TRenderStep step(Kind);
  step.Filter = std::move(Filter);
  Note(std::move(step));
}

void TDShowMyRender::NotePath(TRenderStepKind Kind, const TRenderPath& Path, TShownName Filter) {
  TRenderStep step(Kind);
  step.Path = Path;
  step.Filter = std::move(Filter);
  Note(std::move(step));
}

void TDShowMyRender::MyRenderFile(const std::string& FileName) {
  FComInitialized = SUCCEEDED(FFw.CoInitialize());
  FStartTick = FFw.GetTickCount();
  FTries = 0;
  FTooManyTriesLogged = false;
  TRenderStep start(TRenderStepKind::Start);
  start.File = ValidUtf8(FileName);
  Note(std::move(start));

  FLastResult = CoCreateInstanceAs(FFw, CLSID_FilterGraph, IID_IGraphBuilder, FGraph);
  NoteResult(TRenderStepKind::CreateGraph, FLastResult);
  if (FAILED(FLastResult)) return;
  FLastResult = CoCreateInstanceAs(FFw, CLSID_FilterMapper2, IID_IFilterMapper2, FMapper);
  NoteResult(TRenderStepKind::CreateMapper, FLastResult);
  if (FAILED(FLastResult)) return;
  FLastResult = RegisterGraphInRot();
  NoteResult(TRenderStepKind::RegisterGraph, FLastResult);
  if (FAILED(FLastResult)) return;
  ComPtr<IBaseFilter> source;
  FLastResult = FGraph->AddSourceFilter(PathToWide(FileName), nullptr, source);
  NoteResult(TRenderStepKind::CreateSource, FLastResult);
  if (FAILED(FLastResult)) return;

  // A success that hands out no source leaves nothing to render: the run ends as for a
  // source without output pins.
  int outputs = 0;
  const int rendered = source ? RenderFilterOutputs(source.Get(), {}, FilterName(source.Get()), 1, outputs) : 0;
  // The last step says what was built: nothing rendered, everything connected, or a
  // graph with output pins left free.
  const HRESULT finished = rendered == 0 ? VFW_E_CANNOT_RENDER : AllOutputsConnected() ? S_OK : VFW_S_PARTIAL_RENDER;
  if (finished != VFW_S_PARTIAL_RENDER || !FTooManyTriesLogged) {
    NoteResult(TRenderStepKind::Finished, finished);
    return;
  }
  // Outputs were left untried when the budget ran out: that, not their format, is why
  // they are not rendered. The code stays the framework's.
  TRenderStep step(TRenderStepKind::Finished);
  step.Result = finished;
  const std::string text = GetErrorText(FFw, finished);
  const size_t code = text.rfind(" (0x");
  step.ResultText = "Not every stream was tried: the budget of " + std::to_string(kMaxConnectionTries) +
                    " connection attempts ran out." + (code == std::string::npos ? "" : text.substr(code));
  Note(std::move(step));
}

TGraphFilterName TDShowMyRender::GraphFilterName(IBaseFilter* Filter) {
  FILTER_INFO info;
  if (!Filter || FAILED(Filter->QueryFilterInfo(info))) return {};
  for (const auto& [named, given] : FNamed) {
    if (named.Get() == Filter && info.achName.starts_with(given)) {
      return {WideToUtf8(given), true, WideToUtf8(std::u16string_view(info.achName).substr(given.size()))};
    }
  }
  return {WideToUtf8(info.achName), false, {}};
}

void TDShowMyRender::ReleaseGraph() {
  FNamed.clear();
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

int TDShowMyRender::RenderFilterOutputs(IBaseFilter* Filter, const TRenderPath& Before, const TShownName& Name,
                                       int Level, int& Outputs) {
  Outputs = 0;
  int rendered = 0;
  ComPtr<IEnumPins> pins;
  if (FAILED(Filter->EnumPins(pins)) || !pins) return 0;
  ComPtr<IPin> pin;
  while (pins->Next(pin) == S_OK && pin) {
    if (!IsOutputPin(pin.Get())) continue;
    ++Outputs;
    if (IsPinConnected(pin.Get())) continue;
    TRenderPath path = Before;
    path.push_back({Name, PinName(pin.Get())});
    if (RenderOutputPin(pin.Get(), path, Level)) ++rendered;
  }
  return rendered;
}

bool TDShowMyRender::RenderOutputPin(IPin* Pin, const TRenderPath& Path, int Level) {
  NotePath(TRenderStepKind::RenderPin, Path);
  FLastResult = ConnectToGraphFilters(Pin);
  if (SUCCEEDED(FLastResult)) return true;
  if (Level >= kMaxPathFilters) {
    Note(TRenderStepKind::PathTooLong);
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
    NoteResult(TRenderStepKind::MatchingFailed, FAILED(FLastResult) ? FLastResult : E_FAIL);
    return false;
  }

  TRenderStep matching(TRenderStepKind::Matching);
  ComPtr<IMoniker> moniker;
  while (monikers->Next(moniker) == S_OK && moniker) {
    ComPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, bag)) || !bag) continue;
    std::u16string name;
    bag->Read(u"FriendlyName", name);
    matching.Names.push_back(WideToUtf8(name));
  }
  Note(std::move(matching));
  monikers->Reset();

  bool connected = false;
  bool stop = false;
  while (!connected && !stop && monikers->Next(moniker) == S_OK && moniker) {
    connected = TryCandidate(Pin, moniker.Get(), Path, Level, stop);
  }
  return connected;
}

std::u16string TDShowMyRender::CutFriendlyName(const std::u16string& Name) {
  // The graph keeps only so many units of a filter's name; the engine's names are shorter
  // by the room the reports' filter colour takes around them.
  const int64_t room = FFw.FilterNameChars() - static_cast<int64_t>(FilterColourMarkupLength());
  if (room <= 0) return {};
  if (Name.size() <= static_cast<uint64_t>(room)) return Name;
  size_t keep = static_cast<size_t>(room);
  if (SurrogatePairAt(Name, keep - 1)) --keep;
  return Name.substr(0, keep);
}

bool TDShowMyRender::TryCandidate(IPin* Pin, IMoniker* Moniker, const TRenderPath& Path, int Level, bool& StopTrying) {
  TShownName name;
  std::u16string graphName;
  GUID clsid = GUID_NULL;
  ComPtr<IPropertyBag> bag;
  if (SUCCEEDED(Moniker->BindToStorage(nullptr, bag)) && bag) {
    std::u16string text;
    if (SUCCEEDED(bag->Read(u"CLSID", text)) && !text.empty()) CLSIDFromString(text, clsid);
    text.clear();
    bag->Read(u"FriendlyName", text);
    graphName = CutFriendlyName(text);
    name = WideToUtf8(graphName);
  }
  if (clsid != GUID_NULL && IsClassUpstream(Pin, clsid)) return false;
  if (FTries >= kMaxConnectionTries) {
    if (!FTooManyTriesLogged) {
      Note(TRenderStepKind::TooManyTries);
      FTooManyTriesLogged = true;
    }
    StopTrying = true;
    return false;
  }
  ++FTries;
  NoteFilter(TRenderStepKind::Trying, name);

  ComPtr<IBaseFilter> filter;
  FLastResult = Moniker->BindToObject(nullptr, filter);
  if (FAILED(FLastResult) || !filter) {
    NoteResult(TRenderStepKind::CreateFailed, FAILED(FLastResult) ? FLastResult : E_FAIL, name);
    return false;
  }
  if (clsid == GUID_NULL && SUCCEEDED(filter->GetClassID(clsid)) && IsClassUpstream(Pin, clsid)) {
    Note(TRenderStepKind::AlreadyDownstream);
    return false;
  }
  FLastResult = FGraph->AddFilter(filter.Get(), graphName);
  if (FAILED(FLastResult)) {
    NoteResult(TRenderStepKind::AddFailed, FLastResult, name);
    return false;
  }
  // A filter whose property bag could not be read joined under an empty name that the
  // engine did not give it: read back, it is shown as the graph names it.
  if (name) FNamed.emplace_back(filter, graphName);
  const auto remove = [&] {
    FGraph->RemoveFilter(filter.Get());
    std::erase_if(FNamed, [&](const auto& named) { return named.first.Get() == filter.Get(); });
  };
  FLastResult = ConnectToFilter(Pin, filter.Get());
  if (FAILED(FLastResult)) {
    NoteFilter(TRenderStepKind::ConnectFailed, name);
    remove();
    return false;
  }
  if (CountPins(filter.Get(), PINDIR_OUTPUT) == 0) {
    NotePath(TRenderStepKind::Completed, Path, name);
  }
  int outputs = 0;
  const int rendered = RenderFilterOutputs(filter.Get(), Path, name, Level + 1, outputs);
  if (outputs > 0 && rendered == 0) {
    NoteFilter(TRenderStepKind::Backtracking, name);
    remove();
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
      TRenderStep connected(TRenderStepKind::Connected);
      connected.Pin = PinName(pin.Get());
      connected.Joined = GraphFilterName(Filter);
      Note(std::move(connected));
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
