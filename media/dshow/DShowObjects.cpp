#include "media/dshow/DShowObjects.h"

#include <vector>

namespace ambrel::media::win {
namespace {

// Implemented by every wrapper: the system object it stands for.
class ISystemHolder {
 public:
  virtual ::IUnknown* System() const = 0;

 protected:
  ~ISystemHolder() = default;
};

template <class Own, class Sys>
class TWrap : public RefCounted<Own>, public ISystemHolder {
 public:
  explicit TWrap(TReal<Sys> sys) : FSys(std::move(sys)) {}
  ::IUnknown* System() const override { return FSys.Get(); }

 protected:
  TReal<Sys> FSys;
};

TReal<::IBindCtx> NewBindCtx() {
  TReal<::IBindCtx> ctx;
  ::CreateBindCtx(0, ctx.Out());
  return ctx;
}

// A media type as the program holds it; the system's format block is copied.
std::unique_ptr<AM_MEDIA_TYPE> CopyMediaType(const ::AM_MEDIA_TYPE& mt) {
  auto own = std::make_unique<AM_MEDIA_TYPE>();
  own->majortype = FromSystem(mt.majortype);
  own->subtype = FromSystem(mt.subtype);
  own->bFixedSizeSamples = mt.bFixedSizeSamples != FALSE;
  own->bTemporalCompression = mt.bTemporalCompression != FALSE;
  own->lSampleSize = mt.lSampleSize;
  own->formattype = FromSystem(mt.formattype);
  if (mt.cbFormat > 0 && mt.pbFormat) {
    own->cbFormat = mt.cbFormat;
    own->pbFormat = std::make_unique<uint8_t[]>(mt.cbFormat);
    __builtin_memcpy(own->pbFormat.get(), mt.pbFormat, mt.cbFormat);
  }
  return own;
}

void FreeSystemMediaType(::AM_MEDIA_TYPE* mt) {
  if (!mt) return;
  if (mt->pbFormat) ::CoTaskMemFree(mt->pbFormat);
  if (mt->pUnk) mt->pUnk->Release();
  ::CoTaskMemFree(mt);
}

// Media types are copied when the enumerator is made and handed out as new records.
struct TTypeRecord {
  std::shared_ptr<const AM_MEDIA_TYPE> Type;
};
std::unique_ptr<AM_MEDIA_TYPE> MakeType(const TTypeRecord& r) {
  auto copy = std::make_unique<AM_MEDIA_TYPE>();
  copy->majortype = r.Type->majortype;
  copy->subtype = r.Type->subtype;
  copy->bFixedSizeSamples = r.Type->bFixedSizeSamples;
  copy->bTemporalCompression = r.Type->bTemporalCompression;
  copy->lSampleSize = r.Type->lSampleSize;
  copy->formattype = r.Type->formattype;
  if (r.Type->cbFormat > 0) {
    copy->cbFormat = r.Type->cbFormat;
    copy->pbFormat = std::make_unique<uint8_t[]>(copy->cbFormat);
    __builtin_memcpy(copy->pbFormat.get(), r.Type->pbFormat.get(), copy->cbFormat);
  }
  return copy;
}

// Collects the items of a system enumerator (they are fixed when the program's enumerator
// is made, as the interface promises), as many as ReadEnum reads.
template <class SysEnum, class SysItem, class Own, class Wrap>
std::vector<ComPtr<Own>> Collect(SysEnum* e, Wrap wrap) {
  std::vector<ComPtr<Own>> items;
  ReadEnum<SysItem>(e, [&](SysItem* item) { items.push_back(wrap(TReal<SysItem>(item))); });
  return items;
}

class TPropertyBag : public TWrap<IPropertyBag, ::IPropertyBag> {
 public:
  using TWrap::TWrap;
  HRESULT Read(const std::u16string& name, std::u16string& value) override {
    value.clear();
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BSTR;
    const HRESULT hr = FSys->Read(SysText(name).c_str(), &v, nullptr);
    if (FAILED(hr)) return hr;
    if (v.vt == VT_BSTR && v.bstrVal) value = OwnText(v.bstrVal);
    ::VariantClear(&v);
    return hr;
  }
};

class TMoniker : public TWrap<IMoniker, ::IMoniker> {
 public:
  using TWrap::TWrap;
  HRESULT BindToStorage(IBindCtx*, ComPtr<IPropertyBag>& bag) override {
    bag.Reset();
    TReal<::IPropertyBag> sys;
    const HRESULT hr = FSys->BindToStorage(NewBindCtx().Get(), nullptr, ::IID_IPropertyBag, reinterpret_cast<void**>(sys.Out()));
    if (SUCCEEDED(hr) && sys) bag = MakeCom<TPropertyBag>(sys);
    return sys ? hr : (FAILED(hr) ? hr : E_FAIL);
  }
  HRESULT BindToObject(IBindCtx*, ComPtr<IBaseFilter>& filter) override {
    filter.Reset();
    TReal<::IBaseFilter> sys;
    const HRESULT hr = FSys->BindToObject(NewBindCtx().Get(), nullptr, ::IID_IBaseFilter, reinterpret_cast<void**>(sys.Out()));
    if (FAILED(hr) || !sys) return FAILED(hr) ? hr : E_FAIL;
    filter = WrapFilter(sys);
    return hr;
  }
  HRESULT GetDisplayName(std::u16string& name) override {
    name.clear();
    LPOLESTR text = nullptr;
    const HRESULT hr = FSys->GetDisplayName(NewBindCtx().Get(), nullptr, &text);
    if (text) {
      name = OwnText(text);
      ::CoTaskMemFree(text);
    }
    return hr;
  }
};

class TPin : public TWrap<IPin, ::IPin> {
 public:
  using TWrap::TWrap;
  HRESULT QueryDirection(PIN_DIRECTION& dir) override {
    ::PIN_DIRECTION d = ::PINDIR_INPUT;
    const HRESULT hr = FSys->QueryDirection(&d);
    dir = d == ::PINDIR_OUTPUT ? PINDIR_OUTPUT : PINDIR_INPUT;
    return hr;
  }
  HRESULT QueryPinInfo(PIN_INFO& info) override {
    info = PIN_INFO();
    ::PIN_INFO sys{};
    const HRESULT hr = FSys->QueryPinInfo(&sys);
    if (FAILED(hr)) return hr;
    info.dir = sys.dir == ::PINDIR_OUTPUT ? PINDIR_OUTPUT : PINDIR_INPUT;
    info.achName = FixedText(sys.achName);
    if (sys.pFilter) info.pFilter = WrapFilter(TReal<::IBaseFilter>(sys.pFilter));
    return hr;
  }
  HRESULT ConnectedTo(ComPtr<IPin>& peer) override {
    peer.Reset();
    TReal<::IPin> sys;
    const HRESULT hr = FSys->ConnectedTo(sys.Out());
    if (SUCCEEDED(hr) && sys) peer = MakeCom<TPin>(sys);
    return hr;
  }
  HRESULT EnumMediaTypes(ComPtr<IEnumMediaTypes>& types) override {
    types.Reset();
    TReal<::IEnumMediaTypes> e;
    const HRESULT hr = FSys->EnumMediaTypes(e.Out());
    if (FAILED(hr) || !e) return FAILED(hr) ? hr : E_FAIL;
    std::vector<TTypeRecord> records;
    ReadEnum<::AM_MEDIA_TYPE>(e.Get(), [&](::AM_MEDIA_TYPE* mt) {
      records.push_back({std::shared_ptr<const AM_MEDIA_TYPE>(CopyMediaType(*mt))});
      FreeSystemMediaType(mt);
    });
    types = MakeCom<TListEnum<IEnumMediaTypes, std::unique_ptr<AM_MEDIA_TYPE>, TTypeRecord>>(std::move(records), MakeType);
    return S_OK;
  }
};

class TFilter : public TWrap<IBaseFilter, ::IBaseFilter> {
 public:
  using TWrap::TWrap;
  HRESULT EnumPins(ComPtr<IEnumPins>& pins) override {
    pins.Reset();
    TReal<::IEnumPins> e;
    const HRESULT hr = FSys->EnumPins(e.Out());
    if (FAILED(hr) || !e) return FAILED(hr) ? hr : E_FAIL;
    auto items = Collect<::IEnumPins, ::IPin, IPin>(e.Get(), [](TReal<::IPin> p) { return ComPtr<IPin>(MakeCom<TPin>(p)); });
    pins = MakeCom<TListEnum<IEnumPins, ComPtr<IPin>>>(std::move(items));
    return S_OK;
  }
  HRESULT QueryFilterInfo(FILTER_INFO& info) override {
    info = FILTER_INFO();
    ::FILTER_INFO sys{};
    const HRESULT hr = FSys->QueryFilterInfo(&sys);
    if (FAILED(hr)) return hr;
    info.achName = FixedText(sys.achName);
    if (sys.pGraph) {
      TReal<::IFilterGraph> graph(sys.pGraph);
      TReal<::IGraphBuilder> builder;
      if (SUCCEEDED(graph->QueryInterface(::IID_IGraphBuilder, reinterpret_cast<void**>(builder.Out())))) {
        info.pGraph = WrapGraph(builder);
      }
    }
    return hr;
  }
  HRESULT GetClassID(CLSID& clsid) override {
    ::CLSID sys{};
    const HRESULT hr = FSys->GetClassID(&sys);
    clsid = SUCCEEDED(hr) ? FromSystem(sys) : GUID_NULL;
    return hr;
  }
};

class TGraph : public TWrap<IGraphBuilder, ::IGraphBuilder> {
 public:
  using TWrap::TWrap;
  HRESULT AddFilter(IBaseFilter* filter, const std::u16string& name) override {
    ::IBaseFilter* sys = SystemFilter(filter);
    if (!sys) return E_POINTER;
    return FSys->AddFilter(sys, name.empty() ? nullptr : SysText(name).c_str());
  }
  HRESULT RemoveFilter(IBaseFilter* filter) override {
    ::IBaseFilter* sys = SystemFilter(filter);
    return sys ? FSys->RemoveFilter(sys) : E_POINTER;
  }
  HRESULT EnumFilters(ComPtr<IEnumFilters>& filters) override {
    filters.Reset();
    TReal<::IEnumFilters> e;
    const HRESULT hr = FSys->EnumFilters(e.Out());
    if (FAILED(hr) || !e) return FAILED(hr) ? hr : E_FAIL;
    auto items = Collect<::IEnumFilters, ::IBaseFilter, IBaseFilter>(e.Get(), WrapFilter);
    filters = MakeCom<TListEnum<IEnumFilters, ComPtr<IBaseFilter>>>(std::move(items));
    return S_OK;
  }
  HRESULT ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* mediaType) override {
    ::IPin* out = SystemPin(output);
    ::IPin* in = SystemPin(input);
    if (!out || !in) return E_POINTER;
    if (!mediaType) return FSys->ConnectDirect(out, in, nullptr);
    ::AM_MEDIA_TYPE mt{};
    mt.majortype = ToSystem(mediaType->majortype);
    mt.subtype = ToSystem(mediaType->subtype);
    mt.bFixedSizeSamples = mediaType->bFixedSizeSamples;
    mt.bTemporalCompression = mediaType->bTemporalCompression;
    mt.lSampleSize = mediaType->lSampleSize;
    mt.formattype = ToSystem(mediaType->formattype);
    mt.cbFormat = mediaType->cbFormat;
    mt.pbFormat = mediaType->pbFormat.get();
    return FSys->ConnectDirect(out, in, &mt);
  }
  // Rendered in a graph of its own, so that this one stays as it was.
  HRESULT RenderFile(const std::u16string& fileName, const std::u16string*) override {
    TReal<::IGraphBuilder> graph;
    const HRESULT hr = ::CoCreateInstance(::CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, ::IID_IGraphBuilder,
                                          reinterpret_cast<void**>(graph.Out()));
    if (FAILED(hr)) return hr;
    KeptGraph() = TReal<::IGraphBuilder>();
    const HRESULT rendered = graph->RenderFile(SysText(fileName).c_str(), nullptr);
    KeptGraph() = graph;
    return rendered;
  }
  HRESULT AddSourceFilter(const std::u16string& fileName, const std::u16string* filterName,
                          ComPtr<IBaseFilter>& filter) override {
    filter.Reset();
    TReal<::IBaseFilter> sys;
    const std::wstring name = filterName ? SysText(*filterName) : std::wstring();
    const HRESULT hr = FSys->AddSourceFilter(SysText(fileName).c_str(), filterName ? name.c_str() : nullptr, sys.Out());
    if (SUCCEEDED(hr) && sys) filter = WrapFilter(sys);
    return hr;
  }
};

class TDevEnum : public TWrap<ICreateDevEnum, ::ICreateDevEnum> {
 public:
  using TWrap::TWrap;
  HRESULT CreateClassEnumerator(const GUID& category, ComPtr<IEnumMoniker>& monikers, uint32_t flags) override {
    monikers.Reset();
    TReal<::IEnumMoniker> e;
    const ::GUID sysCategory = ToSystem(category);
    const HRESULT hr = FSys->CreateClassEnumerator(sysCategory, e.Out(), flags);
    if (hr != S_OK || !e) return FAILED(hr) ? hr : S_FALSE;
    monikers = WrapMonikers(e.Get());
    return S_OK;
  }
};

class TMapper : public TWrap<IFilterMapper2, ::IFilterMapper2> {
 public:
  using TWrap::TWrap;
  HRESULT EnumMatchingFilters(ComPtr<IEnumMoniker>& monikers, uint32_t flags, bool exactMatch, uint32_t minMerit,
                              bool inputNeeded, uint32_t inputTypeCount, const GUID* inputTypes, const void*,
                              const GUID* inputPinCategory, bool render, bool outputNeeded, uint32_t outputTypeCount,
                              const GUID* outputTypes, const void*, const GUID* outputPinCategory) override {
    monikers.Reset();
    std::vector<::GUID> in, out;
    for (uint32_t i = 0; inputTypes && i < 2 * inputTypeCount; ++i) in.push_back(ToSystem(inputTypes[i]));
    for (uint32_t i = 0; outputTypes && i < 2 * outputTypeCount; ++i) out.push_back(ToSystem(outputTypes[i]));
    const ::GUID inCategory = inputPinCategory ? ToSystem(*inputPinCategory) : ::GUID{};
    const ::GUID outCategory = outputPinCategory ? ToSystem(*outputPinCategory) : ::GUID{};
    TReal<::IEnumMoniker> e;
    const HRESULT hr = FSys->EnumMatchingFilters(
        e.Out(), flags, exactMatch, minMerit, inputNeeded, inputTypeCount, in.empty() ? nullptr : in.data(), nullptr,
        inputPinCategory ? &inCategory : nullptr, render, outputNeeded, outputTypeCount,
        out.empty() ? nullptr : out.data(), nullptr, outputPinCategory ? &outCategory : nullptr);
    if (FAILED(hr)) return hr;
    monikers = WrapMonikers(e.Get());
    return hr;
  }
};

// The system's running object table. Objects are registered as the system objects they
// wrap, under a system item moniker holding the program moniker's text.
class TRot : public TWrap<IRunningObjectTable, ::IRunningObjectTable> {
 public:
  using TWrap::TWrap;
  HRESULT Register(uint32_t flags, IUnknown* object, IMoniker* moniker, uint32_t& cookie) override {
    cookie = 0;
    ::IUnknown* sys = SystemObject(object);
    if (!sys || !moniker) return E_INVALIDARG;
    std::u16string item;
    moniker->GetDisplayName(item);
    TReal<::IMoniker> sysMoniker;
    HRESULT hr = ::CreateItemMoniker(L"!", SysText(item).c_str(), sysMoniker.Out());
    if (FAILED(hr)) return hr;
    DWORD sysCookie = 0;
    hr = FSys->Register(flags, sys, sysMoniker.Get(), &sysCookie);
    if (SUCCEEDED(hr)) cookie = sysCookie;
    return hr;
  }
  HRESULT Revoke(uint32_t cookie) override { return FSys->Revoke(cookie); }
};

}  // namespace

// A single-threaded apartment, as graph editors use: the diagnostic provider's objects
// only work there without marshalling, and a thread keeps its first apartment.
TReal<::IGraphBuilder>& KeptGraph() {
  thread_local TReal<::IGraphBuilder> kept;
  return kept;
}

ComPtr<IFilterGraph> TakeRenderedGraph() {
  TReal<::IGraphBuilder> graph;
  std::swap(graph, KeptGraph());
  return graph ? ComPtr<IFilterGraph>(WrapGraph(graph)) : ComPtr<IFilterGraph>();
}

void EnsureCom() {
  thread_local const bool joined = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  (void)joined;
}

ComPtr<IBaseFilter> WrapFilter(TReal<::IBaseFilter> filter) { return MakeCom<TFilter>(std::move(filter)); }
ComPtr<IMoniker> WrapMoniker(TReal<::IMoniker> moniker) { return MakeCom<TMoniker>(std::move(moniker)); }
ComPtr<IEnumMoniker> WrapMonikers(::IEnumMoniker* monikers) {
  auto items = Collect<::IEnumMoniker, ::IMoniker, IMoniker>(monikers, WrapMoniker);
  return MakeCom<TListEnum<IEnumMoniker, ComPtr<IMoniker>>>(std::move(items));
}
ComPtr<IGraphBuilder> WrapGraph(TReal<::IGraphBuilder> graph) { return MakeCom<TGraph>(std::move(graph)); }
ComPtr<ICreateDevEnum> WrapDevEnum(TReal<::ICreateDevEnum> devEnum) { return MakeCom<TDevEnum>(std::move(devEnum)); }
ComPtr<IFilterMapper2> WrapMapper(TReal<::IFilterMapper2> mapper) { return MakeCom<TMapper>(std::move(mapper)); }
ComPtr<IRunningObjectTable> WrapRot(TReal<::IRunningObjectTable> rot) { return MakeCom<TRot>(std::move(rot)); }

::IUnknown* SystemObject(IUnknown* own) {
  const auto* holder = dynamic_cast<const ISystemHolder*>(own);
  return holder ? holder->System() : nullptr;
}
::IBaseFilter* SystemFilter(IBaseFilter* own) {
  const auto* filter = dynamic_cast<const TFilter*>(own);
  return filter ? static_cast<::IBaseFilter*>(filter->System()) : nullptr;
}
::IPin* SystemPin(IPin* own) {
  const auto* pin = dynamic_cast<const TPin*>(own);
  return pin ? static_cast<::IPin*>(pin->System()) : nullptr;
}

}  // namespace ambrel::media::win
