// The objects of a scripted media world: its framework, category enumerator, monikers,
// property bags, filter instances and pins, graphs and mapper.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <map>
#include <set>
#include <thread>

#include "media/BasicMediaFramework.h"
#include "media/world/MediaWorld.h"
#include "media/world/MediaWorldModel.h"
#include "base/UnicodeCase.h"
#include "com/Moniker.h"

namespace ambrel::media {

namespace world {

bool SideMatches(const Side& a, const Side& b) { return a.wildcard || b.wildcard || a.text == b.text; }
bool Matches(const MediaType& a, const MediaType& b) { return SideMatches(a.major, b.major) && SideMatches(a.sub, b.sub); }

std::u16string FileExtension(const std::u16string& fileName) {
  const size_t sep = fileName.find_last_of(u"/\\");
  const std::u16string last = sep == std::u16string::npos ? fileName : fileName.substr(sep + 1);
  const size_t dot = last.rfind(u'.');
  return dot == std::u16string::npos ? std::u16string() : WideLower(last.substr(dot + 1));
}

bool RuleTakes(const std::u16string& ruleExt, const std::u16string& fileName) {
  const size_t start = ruleExt.find_first_not_of(u'.');
  const std::u16string ext = WideLower(start == std::u16string::npos ? std::u16string() : ruleExt.substr(start));
  return ext == u"*" || ext == FileExtension(fileName);
}

namespace {

const std::u16string kLegacyPrefix(kLegacyFilterMonikerPrefix);

// What every object of one loaded world shares.
struct State {
  explicit State(std::shared_ptr<const Model> shared) : owner(std::move(shared)), model(*owner) {}
  std::shared_ptr<const Model> owner;  // one loaded world, shared read-only by its frameworks
  const Model& model;
  uint64_t ticks = 0;  // GetTickCount calls so far
  std::map<std::u16string, GUID> interned;
  ComPtr<TRunningObjectTable> rot = MakeCom<TRunningObjectTable>();

  std::optional<HRESULT> Fail(FailKey key) const { return model.fail[key]; }

  // The world's fault at call, when it has one there: the process ends with SIGSEGV, or
  // stops answering until it is killed. Meant for a framework host process.
  void FaultAt(FaultCall call, const std::u16string* fileName = nullptr) const {
    if (!model.fault || model.fault->call != call) return;
    if (fileName && !RuleTakes(model.fault->ext, *fileName)) return;
    if (model.fault->hang) {
      for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
    }
    std::signal(SIGSEGV, SIG_DFL);
    std::raise(SIGSEGV);
  }

  // Media type sides travel through the interface as GUIDs: the wildcard is GUID_NULL,
  // every other text its own GUID, so equal texts compare equal and different texts differ.
  GUID Intern(const Side& side) {
    if (side.wildcard) return GUID_NULL;
    const auto it = interned.find(side.text);
    if (it != interned.end()) return it->second;
    GUID g;
    g.Data1 = static_cast<uint32_t>(interned.size() + 1);
    g.Data2 = 0x574D;  // "WM"
    g.Data3 = 0x5459;  // "TY"
    interned.emplace(side.text, g);
    return g;
  }

  std::u16string CutName(const std::u16string& name) const {
    std::u16string cut = name.substr(0, name.find(u'\0'));
    if (model.nameChars <= 0) return {};
    if (cut.size() > static_cast<uint64_t>(model.nameChars)) cut.resize(static_cast<size_t>(model.nameChars));
    return cut;
  }
};
using StatePtr = std::shared_ptr<State>;

template <class Interface, class Item>
using VectorEnum = TListEnum<Interface, Item>;

class TypeEnum : public RefCounted<IEnumMediaTypes> {
 public:
  explicit TypeEnum(std::vector<std::pair<GUID, GUID>> types) : FTypes(std::move(types)) {}
  HRESULT Next(std::unique_ptr<AM_MEDIA_TYPE>& item) override {
    item.reset();
    if (FPos >= FTypes.size()) return S_FALSE;
    item = std::make_unique<AM_MEDIA_TYPE>();
    item->majortype = FTypes[FPos].first;
    item->subtype = FTypes[FPos].second;
    ++FPos;
    return S_OK;
  }
  HRESULT Reset() override {
    FPos = 0;
    return S_OK;
  }

 private:
  std::vector<std::pair<GUID, GUID>> FTypes;
  size_t FPos = 0;
};

class Graph;
class FilterInstance;

class PinInstance : public IPin {
 public:
  PinInstance(FilterInstance* owner, const Pin& pin) : FOwner(owner), FPin(pin) {}
  ~PinInstance() override = default;
  uint32_t AddRef() override;
  uint32_t Release() override;
  HRESULT QueryDirection(PIN_DIRECTION& dir) override {
    dir = PINDIR_INPUT;
    if (FPin.dirFails) return E_FAIL;
    dir = FPin.dir;
    return S_OK;
  }
  HRESULT QueryPinInfo(PIN_INFO& info) override;
  HRESULT ConnectedTo(ComPtr<IPin>& peer) override {
    peer = ComPtr<IPin>(FPeer);
    return FPeer ? S_OK : VFW_E_NOT_CONNECTED;
  }
  HRESULT EnumMediaTypes(ComPtr<IEnumMediaTypes>& types) override;

  FilterInstance* FOwner;
  const Pin& FPin;
  PinInstance* FPeer = nullptr;
};

class FilterInstance : public RefCounted<IBaseFilter> {
 public:
  FilterInstance(StatePtr state, size_t index) : FState(std::move(state)), FIndex(index) {
    for (const Pin& p : Entry().pins) FPins.push_back(std::make_unique<PinInstance>(this, p));
  }
  const Filter& Entry() const { return FState->model.filters[FIndex]; }

  HRESULT EnumPins(ComPtr<IEnumPins>& pins) override {
    pins.Reset();
    if (FAILED(Entry().enumPinsHr)) return Entry().enumPinsHr;
    bool inputConnected = false;
    for (const auto& p : FPins) inputConnected = inputConnected || (p->FPin.dir == PINDIR_INPUT && p->FPeer);
    std::vector<ComPtr<IPin>> listed;
    for (const auto& p : FPins) {
      if (!p->FPin.onConnect || inputConnected || p->FPeer) listed.emplace_back(p.get());
    }
    pins = MakeCom<VectorEnum<IEnumPins, ComPtr<IPin>>>(std::move(listed));
    return S_OK;
  }
  HRESULT QueryFilterInfo(FILTER_INFO& info) override;
  HRESULT GetClassID(CLSID& clsid) override {
    clsid = GUID_NULL;
    if (Entry().classFails) return E_FAIL;
    clsid = Entry().cls;
    return S_OK;
  }
  void Disconnect() {
    for (auto& p : FPins) {
      if (p->FPeer) p->FPeer->FPeer = nullptr;
      p->FPeer = nullptr;
    }
  }

  StatePtr FState;
  size_t FIndex;
  std::vector<std::unique_ptr<PinInstance>> FPins;
  Graph* FGraph = nullptr;
  std::u16string FName;
};

uint32_t PinInstance::AddRef() { return FOwner->AddRef(); }
uint32_t PinInstance::Release() { return FOwner->Release(); }

HRESULT PinInstance::QueryPinInfo(PIN_INFO& info) {
  info = PIN_INFO();
  if (FPin.queryFails) return E_FAIL;
  info.pFilter = ComPtr<IBaseFilter>(FOwner);
  info.dir = FPin.dir;
  info.achName = FOwner->FState->CutName(FPin.name);
  return S_OK;
}

HRESULT PinInstance::EnumMediaTypes(ComPtr<IEnumMediaTypes>& types) {
  types.Reset();
  if (FAILED(FPin.enumTypesHr)) return FPin.enumTypesHr;
  std::vector<std::pair<GUID, GUID>> list;
  for (const MediaType& t : FPin.types) list.emplace_back(FOwner->FState->Intern(t.major), FOwner->FState->Intern(t.sub));
  types = MakeCom<TypeEnum>(std::move(list));
  return S_OK;
}

class Graph : public RefCounted<IGraphBuilder> {
 public:
  explicit Graph(StatePtr state) : FState(std::move(state)) {}
  ~Graph() override {
    for (auto& f : FFilters) Leave(*f);
  }

  HRESULT AddFilter(IBaseFilter* filter, const std::u16string& name) override {
    auto* f = dynamic_cast<FilterInstance*>(filter);
    if (!f) return E_POINTER;
    if (FAILED(f->Entry().addHr)) return f->Entry().addHr;
    if (f->FGraph) return VFW_E_DUPLICATE_NAME;
    const bool renamed = Join(f, name);
    if (f->Entry().addHr != S_OK) return f->Entry().addHr;
    return renamed ? VFW_S_DUPLICATE_NAME : S_OK;
  }

  HRESULT RemoveFilter(IBaseFilter* filter) override {
    auto* f = dynamic_cast<FilterInstance*>(filter);
    const auto it = std::find_if(FFilters.begin(), FFilters.end(), [&](const auto& p) { return p.Get() == f; });
    if (!f || it == FFilters.end()) return VFW_E_NOT_FOUND;
    const ComPtr<FilterInstance> keep = *it;
    FFilters.erase(it);
    Leave(*f);
    return S_OK;
  }

  HRESULT EnumFilters(ComPtr<IEnumFilters>& filters) override {
    filters.Reset();
    if (const auto forced = FState->Fail(kFailEnumFilters); forced && FAILED(*forced)) return *forced;
    std::vector<ComPtr<IBaseFilter>> list(FFilters.begin(), FFilters.end());
    if (FState->model.graphReverse) std::reverse(list.begin(), list.end());
    filters = MakeCom<VectorEnum<IEnumFilters, ComPtr<IBaseFilter>>>(std::move(list));
    return S_OK;
  }

  HRESULT ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE*) override {
    FState->FaultAt(FaultCall::kConnectDirect);
    auto* out = dynamic_cast<PinInstance*>(output);
    auto* in = dynamic_cast<PinInstance*>(input);
    if (!out || !in) return E_POINTER;
    if (out->FOwner->FGraph != this || in->FOwner->FGraph != this) return VFW_E_NOT_IN_GRAPH;
    if (out->FPin.dir != PINDIR_OUTPUT || in->FPin.dir != PINDIR_INPUT) return VFW_E_INVALID_DIRECTION;
    if (out->FPeer || in->FPeer) return VFW_E_ALREADY_CONNECTED;
    if (Reaches(in->FOwner, out->FOwner)) return VFW_E_CIRCULAR_GRAPH;
    if (out->FPin.types.empty()) return VFW_E_NO_TYPES;
    bool match = false;
    for (const MediaType& a : out->FPin.types) {
      for (const MediaType& b : in->FPin.types) match = match || Matches(a, b);
    }
    if (!match) return VFW_E_NO_ACCEPTABLE_TYPES;
    if (out->FPin.connectHr && FAILED(*out->FPin.connectHr)) return *out->FPin.connectHr;
    if (in->FPin.connectHr && FAILED(*in->FPin.connectHr)) return *in->FPin.connectHr;
    out->FPeer = in;
    in->FPeer = out;
    if (out->FPin.connectHr) return *out->FPin.connectHr;
    if (in->FPin.connectHr) return *in->FPin.connectHr;
    return S_OK;
  }

  HRESULT RenderFile(const std::u16string& fileName, const std::u16string*) override {
    FState->FaultAt(FaultCall::kRenderFile, &fileName);
    for (const RenderRule& r : FState->model.renderFile) {
      if (RuleTakes(r.ext, fileName)) return r.hr;
    }
    for (const SourceRule& r : FState->model.sources) {
      if (RuleTakes(r.ext, fileName)) return FAILED(r.hr) ? r.hr : S_OK;
    }
    return FState->model.unknownSourceHr;
  }

  HRESULT AddSourceFilter(const std::u16string& fileName, const std::u16string*, ComPtr<IBaseFilter>& filter) override {
    FState->FaultAt(FaultCall::kAddSourceFilter, &fileName);
    filter.Reset();
    for (const SourceRule& r : FState->model.sources) {
      if (!RuleTakes(r.ext, fileName)) continue;
      if (FAILED(r.hr)) return r.hr;
      auto instance = MakeCom<FilterInstance>(FState, r.filterIndex);
      Join(instance.Get(), r.name ? *r.name : fileName);
      filter = instance;
      return r.hr;
    }
    return FState->model.unknownSourceHr;
  }

 private:
  bool NameHeld(const std::u16string& name) const {
    return std::any_of(FFilters.begin(), FFilters.end(), [&](const auto& f) { return f->FName == name; });
  }

  // Adds f under name (or a suffixed name); true when it was renamed.
  bool Join(FilterInstance* f, const std::u16string& name) {
    std::u16string joined = name;
    if (FState->model.suffixNames && NameHeld(name)) {
      for (uint64_t k = 1;; ++k) {
        std::string digits = std::to_string(k);
        if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
        joined = name + u" " + Utf8ToWide(digits);
        if (!NameHeld(joined)) break;
      }
    }
    f->FName = joined;
    f->FGraph = this;
    FFilters.emplace_back(f);
    return joined != name;
  }

  static void Leave(FilterInstance& f) {
    f.Disconnect();
    f.FGraph = nullptr;
  }

  // Whether target can be reached from start by following connected output pins.
  static bool Reaches(FilterInstance* start, FilterInstance* target) {
    std::vector<FilterInstance*> todo{start};
    std::set<FilterInstance*> seen{start};
    while (!todo.empty()) {
      FilterInstance* f = todo.back();
      todo.pop_back();
      if (f == target) return true;
      for (const auto& p : f->FPins) {
        if (p->FPin.dir != PINDIR_OUTPUT || !p->FPeer) continue;
        if (seen.insert(p->FPeer->FOwner).second) todo.push_back(p->FPeer->FOwner);
      }
    }
    return false;
  }

  StatePtr FState;
  std::vector<ComPtr<FilterInstance>> FFilters;
};

HRESULT FilterInstance::QueryFilterInfo(FILTER_INFO& info) {
  info = FILTER_INFO();
  if (Entry().queryInfoFails) return E_FAIL;
  info.achName = FState->CutName(FName);
  info.pGraph = ComPtr<IFilterGraph>(FGraph);
  return S_OK;
}

class PropertyBag : public RefCounted<IPropertyBag> {
 public:
  PropertyBag(StatePtr state, size_t index) : FState(std::move(state)), FIndex(index) {}
  HRESULT Read(const std::u16string& name, std::u16string& value) override {
    value.clear();
    const Filter& f = FState->model.filters[FIndex];
    const std::optional<std::u16string>* v = name == u"CLSID" ? &f.clsid : name == u"FriendlyName" ? &f.name : nullptr;
    if (!v || !*v) return HRESULT_FILE_NOT_FOUND;
    value = **v;
    return S_OK;
  }

 private:
  StatePtr FState;
  size_t FIndex;
};

class FilterMoniker : public RefCounted<IMoniker> {
 public:
  FilterMoniker(StatePtr state, size_t index) : FState(std::move(state)), FIndex(index) {}
  HRESULT BindToStorage(IBindCtx*, ComPtr<IPropertyBag>& bag) override {
    bag.Reset();
    if (!FState->model.filters[FIndex].bag) return HRESULT_FILE_NOT_FOUND;
    bag = MakeCom<PropertyBag>(FState, FIndex);
    return S_OK;
  }
  HRESULT BindToObject(IBindCtx*, ComPtr<IBaseFilter>& filter) override {
    filter.Reset();
    const HRESULT hr = FState->model.filters[FIndex].createHr;
    if (FAILED(hr)) return hr;
    filter = MakeCom<FilterInstance>(FState, FIndex);
    return hr;
  }
  HRESULT GetDisplayName(std::u16string& name) override {
    const auto& instance = FState->model.filters[FIndex].instance;
    name = instance ? kLegacyPrefix + *instance : std::u16string();
    return S_OK;
  }

 private:
  StatePtr FState;
  size_t FIndex;
};

std::vector<ComPtr<IMoniker>> Monikers(const StatePtr& state, const std::vector<size_t>& indexes) {
  std::vector<ComPtr<IMoniker>> list;
  for (size_t i : indexes) list.push_back(MakeCom<FilterMoniker>(state, i));
  return list;
}

class DevEnum : public RefCounted<ICreateDevEnum> {
 public:
  explicit DevEnum(StatePtr state) : FState(std::move(state)) {}
  HRESULT CreateClassEnumerator(const GUID& category, ComPtr<IEnumMoniker>& monikers, uint32_t) override {
    monikers.Reset();
    if (const auto forced = FState->Fail(kFailClassEnum); forced && FAILED(*forced)) return *forced;
    std::vector<size_t> hits;
    const auto& filters = FState->model.filters;
    for (size_t i = 0; i < filters.size(); ++i) {
      const auto& cats = filters[i].categories;
      if (std::find(cats.begin(), cats.end(), category) != cats.end()) hits.push_back(i);
    }
    if (hits.empty()) return S_FALSE;
    monikers = MakeCom<VectorEnum<IEnumMoniker, ComPtr<IMoniker>>>(Monikers(FState, hits));
    return S_OK;
  }

 private:
  StatePtr FState;
};

class Mapper : public RefCounted<IFilterMapper2> {
 public:
  explicit Mapper(StatePtr state) : FState(std::move(state)) {}
  HRESULT EnumMatchingFilters(ComPtr<IEnumMoniker>& monikers, uint32_t, bool, uint32_t minMerit, bool inputNeeded,
                              uint32_t inputTypeCount, const GUID* inputTypes, const void*, const GUID*, bool, bool,
                              uint32_t, const GUID*, const void*, const GUID*) override {
    FState->FaultAt(FaultCall::kEnumMatchingFilters);
    monikers.Reset();
    if (const auto forced = FState->Fail(kFailEnumMatching); forced && FAILED(*forced)) return *forced;
    std::vector<size_t> hits;
    const auto& filters = FState->model.filters;
    for (size_t i = 0; i < filters.size(); ++i) {
      const Filter& f = filters[i];
      if (!f.mapper || f.merit < static_cast<int64_t>(minMerit)) continue;
      if (inputNeeded && !f.registeredInput) continue;
      if (inputTypeCount == 0 ? !FState->model.zeroPairsAny : !AcceptsAny(f, inputTypeCount, inputTypes)) continue;
      hits.push_back(i);
    }
    std::stable_sort(hits.begin(), hits.end(), [&](size_t a, size_t b) { return filters[a].merit > filters[b].merit; });
    monikers = MakeCom<VectorEnum<IEnumMoniker, ComPtr<IMoniker>>>(Monikers(FState, hits));
    return S_OK;
  }

 private:
  bool AcceptsAny(const Filter& f, uint32_t count, const GUID* pairs) {
    if (!pairs) return false;
    for (const MediaType& t : f.registeredTypes) {
      const GUID major = FState->Intern(t.major), sub = FState->Intern(t.sub);
      for (uint32_t k = 0; k < count; ++k) {
        const GUID& pm = pairs[2 * k];
        const GUID& ps = pairs[2 * k + 1];
        if ((major == GUID_NULL || pm == GUID_NULL || major == pm) && (sub == GUID_NULL || ps == GUID_NULL || sub == ps))
          return true;
      }
    }
    return false;
  }

  StatePtr FState;
};

class WorldFramework : public TBasicMediaFramework {
 public:
  explicit WorldFramework(std::shared_ptr<const Model> model) : FState(std::make_shared<State>(std::move(model))) {
    if (const auto forced = FState->Fail(kFailRotRegister)) FState->rot->ForceRegisterResult(*forced);
  }
  std::string Description() const override { return "scripted world"; }

  HRESULT CoInitialize() override {
    const auto forced = FState->Fail(kFailCoinit);
    if (forced && FAILED(*forced)) return *forced;
    TBasicMediaFramework::CoInitialize();
    return forced ? *forced : S_OK;
  }

  HRESULT CoCreateInstance(const CLSID& clsid, const IID& iid, ComPtr<IUnknown>& object) override {
    FState->FaultAt(FaultCall::kCoCreateInstance);
    object.Reset();
    struct Class {
      const CLSID& clsid;
      const IID& iid;
      FailKey fail;
    };
    const Class classes[] = {{CLSID_SystemDeviceEnum, IID_ICreateDevEnum, kFailSysDevEnum},
                             {CLSID_FilterGraph, IID_IGraphBuilder, kFailGraph},
                             {CLSID_FilterMapper2, IID_IFilterMapper2, kFailMapper}};
    for (const Class& c : classes) {
      if (c.clsid != clsid) continue;
      const auto forced = FState->Fail(c.fail);
      if (forced && FAILED(*forced)) return *forced;
      if (iid != c.iid && iid != IID_IUnknown) return E_NOINTERFACE;
      if (c.fail == kFailSysDevEnum) object = MakeCom<DevEnum>(FState);
      if (c.fail == kFailGraph) object = MakeCom<Graph>(FState);
      if (c.fail == kFailMapper) object = MakeCom<Mapper>(FState);
      return forced ? *forced : S_OK;
    }
    return REGDB_E_CLASSNOTREG;
  }

  HRESULT CreateBindCtx(uint32_t reserved, ComPtr<IBindCtx>& ctx) override {
    return Forced(kFailBindCtx, ctx, [&] { return TBasicMediaFramework::CreateBindCtx(reserved, ctx); });
  }

  HRESULT MkParseDisplayName(IBindCtx*, const std::u16string& displayName, ComPtr<IMoniker>& moniker) override {
    FState->FaultAt(FaultCall::kMkParseDisplayName);
    moniker.Reset();
    if (const auto forced = FState->Fail(kFailParseDisplayName); forced && FAILED(*forced)) return *forced;
    if (displayName.size() < kLegacyPrefix.size() ||
        WideUpper(displayName.substr(0, kLegacyPrefix.size())) != WideUpper(kLegacyPrefix)) {
      return MK_E_SYNTAX;
    }
    const std::u16string wanted = WideUpper(displayName.substr(kLegacyPrefix.size()));
    const auto& filters = FState->model.filters;
    for (size_t i = 0; i < filters.size(); ++i) {
      const Filter& f = filters[i];
      const bool legacy =
          std::find(f.categories.begin(), f.categories.end(), CLSID_LegacyAmFilterCategory) != f.categories.end();
      if (legacy && f.instance && WideUpper(*f.instance) == wanted) {
        moniker = MakeCom<FilterMoniker>(FState, i);
        return S_OK;
      }
    }
    return MK_E_SYNTAX;
  }

  HRESULT GetRunningObjectTable(uint32_t, ComPtr<IRunningObjectTable>& table) override {
    return Forced(kFailRot, table, [&] {
      table = FState->rot;
      return S_OK;
    });
  }

  HRESULT CreateItemMoniker(const std::u16string& delimiter, const std::u16string& item,
                            ComPtr<IMoniker>& moniker) override {
    return Forced(kFailItemMoniker, moniker,
                  [&] { return TBasicMediaFramework::CreateItemMoniker(delimiter, item, moniker); });
  }

  uint32_t AMGetErrorTextW(HRESULT hr, char16_t* buffer, uint32_t size) override {
    const auto it = FState->model.errorTexts.find(static_cast<uint32_t>(hr));
    return it == FState->model.errorTexts.end() ? 0 : CopyErrorText(it->second, buffer, size);
  }

  uint32_t GetTickCount() override {
    const Model& m = FState->model;
    const uint64_t i = FState->ticks++;
    const uint64_t n = m.tickValues.size();
    if (i < n) return m.tickValues[i];
    if (n > 0) return static_cast<uint32_t>(m.tickValues[n - 1] + uint64_t{m.tickStep} * (i - n + 1));
    return static_cast<uint32_t>(m.tickStart + uint64_t{m.tickStep} * i);
  }

  uint32_t GetCurrentProcessId() override { return FState->model.pid; }
  uint64_t GraphAddress(IGraphBuilder*) override { return FState->model.graphAddress; }
  int64_t FilterNameChars() override { return FState->model.nameChars; }

  int32_t RegQueryDefaultValue(const std::u16string& keyPath, std::u16string& value) override {
    value.clear();
    static const std::u16string head = u"SOFTWARE\\CLASSES\\CLSID\\";
    static const std::u16string tail = u"\\INPROCSERVER32";
    const std::u16string upper = WideUpper(keyPath);
    if (upper.size() != head.size() + 38 + tail.size() || upper.compare(0, head.size(), head) != 0 ||
        upper.compare(head.size() + 38, tail.size(), tail) != 0) {
      return ERROR_FILE_NOT_FOUND;
    }
    GUID g;
    if (FAILED(CLSIDFromString(std::u16string_view(keyPath).substr(head.size(), 38), g))) return ERROR_FILE_NOT_FOUND;
    const auto it = FState->model.servers.find(g);
    if (it == FState->model.servers.end()) return ERROR_FILE_NOT_FOUND;
    value = it->second;
    return ERROR_SUCCESS;
  }

  bool FileExists(const std::u16string& path) override {
    const auto it = FState->model.files.find(path);
    return !path.empty() && it != FState->model.files.end() && it->second.exists;
  }

  bool GetFileVersion(const std::u16string& path, uint32_t& versionMS, uint32_t& versionLS) override {
    versionMS = versionLS = 0;
    const auto it = FState->model.files.find(path);
    if (path.empty() || it == FState->model.files.end() || !it->second.version) return false;
    const uint16_t* p = it->second.version->part;
    versionMS = (uint32_t{p[0]} << 16) | p[1];
    versionLS = (uint32_t{p[2]} << 16) | p[3];
    return true;
  }

 private:
  // Runs make unless the world forces a failure; a forced success replaces make's result.
  template <class T, class Make>
  HRESULT Forced(FailKey key, ComPtr<T>& out, Make make) {
    out.Reset();
    const auto forced = FState->Fail(key);
    if (forced && FAILED(*forced)) return *forced;
    const HRESULT hr = make();
    return forced && SUCCEEDED(hr) ? *forced : hr;
  }

  StatePtr FState;
};

}  // namespace

}  // namespace world

std::unique_ptr<IMediaFramework> MakeWorldFramework(std::shared_ptr<const world::Model> model) {
  return std::make_unique<world::WorldFramework>(std::move(model));
}

}  // namespace ambrel::media
