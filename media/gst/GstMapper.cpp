// The catalogue as the framework's objects see it: monikers with property bags, the
// category enumerator, and the filter mapper, which answers as the framework's own
// autoplugger chooses: demuxers, parsers and decoders by rank, plus this machine's
// renderers for decoded streams.
#include <algorithm>

#include "com/Moniker.h"
#include "media/gst/GstBackend.h"

namespace ambrel::media::gst {

namespace {

class FactoryBag : public RefCounted<IPropertyBag> {
 public:
  explicit FactoryBag(const FactoryRecord& record) : record_(record) {}
  HRESULT Read(const std::u16string& name, std::u16string& value) override {
    value.clear();
    if (name == u"CLSID") {
      value = GuidToWString(record_.Clsid());
    } else if (name == u"FriendlyName") {
      value = Wide(record_.longName.c_str());
    } else {
      return HRESULT_FILE_NOT_FOUND;
    }
    return S_OK;
  }

 private:
  const FactoryRecord& record_;
};

class FactoryMoniker : public RefCounted<IMoniker> {
 public:
  explicit FactoryMoniker(const FactoryRecord& record) : record_(record) {}
  HRESULT BindToStorage(IBindCtx*, ComPtr<IPropertyBag>& bag) override {
    bag = MakeCom<FactoryBag>(record_);
    return S_OK;
  }
  HRESULT BindToObject(IBindCtx*, ComPtr<IBaseFilter>& filter) override {
    filter.Reset();
    GstElement* element = gst_element_factory_create(record_.factory.get(), nullptr);
    // A factory whose plugin does not load.
    if (!element) return HRESULT_MOD_NOT_FOUND;
    filter = MakeCom<GstFilter>(GstRef<GstElement>::Adopt(GST_ELEMENT(gst_object_ref_sink(element))), record_.Clsid());
    return S_OK;
  }
  HRESULT GetDisplayName(std::u16string& name) override {
    name = LegacyFilterDisplayName(GuidToWString(record_.Clsid()));
    return S_OK;
  }

 private:
  const FactoryRecord& record_;
};

class DeviceEnumerator : public RefCounted<ICreateDevEnum> {
 public:
  HRESULT CreateClassEnumerator(const GUID& category, ComPtr<IEnumMoniker>& monikers, uint32_t) override {
    monikers.Reset();
    std::vector<ComPtr<IMoniker>> items;
    for (const FactoryRecord* r : Catalogue::Get().Category(category)) items.push_back(MakeFactoryMoniker(*r));
    if (items.empty()) return S_FALSE;
    monikers = MakeCom<ListEnum<IEnumMoniker, ComPtr<IMoniker>>>(std::move(items));
    return S_OK;
  }
};

// One (major, subtype) pair of a mapper query: exact caps, or a media class when the
// subtype is a wildcard, or nothing at all when both are.
struct TypeQuery {
  CapsRef caps;
  std::string mediaClass;
};

bool NameInClass(std::string_view name, const std::string& mediaClass) {
  return mediaClass.empty() || name.substr(0, name.find('/')) == mediaClass;
}

// Whether a factory's sink templates accept one of the queried types.
bool FactoryAccepts(GstElementFactory* factory, const std::vector<TypeQuery>& queries) {
  for (const TypeQuery& q : queries) {
    if (q.caps) {
      if (gst_element_factory_can_sink_any_caps(factory, q.caps.get())) return true;
      continue;
    }
    for (const GList* l = gst_element_factory_get_static_pad_templates(factory); l; l = l->next) {
      const auto* templ = static_cast<const GstStaticPadTemplate*>(l->data);
      if (templ->direction != GST_PAD_SINK) continue;
      CapsRef caps = CapsRef::Adopt(gst_static_caps_get(const_cast<GstStaticCaps*>(&templ->static_caps)));
      if (!caps) continue;
      if (gst_caps_is_any(caps.get())) return true;
      for (guint i = 0; i < gst_caps_get_size(caps.get()); ++i)
        if (NameInClass(gst_structure_get_name(gst_caps_get_structure(caps.get(), i)), q.mediaClass)) return true;
    }
  }
  return false;
}

// Whether a renderer of the role takes one of the queried types.
bool RoleAccepts(RenderRole role, const std::vector<TypeQuery>& queries) {
  static constexpr std::string_view kNames[] = {"audio/x-raw",      "video/x-raw",      "text/x-raw",
                                                "subpicture/x-dvd", "subpicture/x-dvb", "subpicture/x-pgs"};
  for (const TypeQuery& q : queries) {
    std::string_view queried;
    if (q.caps) queried = gst_structure_get_name(gst_caps_get_structure(q.caps.get(), 0));
    for (std::string_view name : kNames) {
      RenderRole r;
      if (!RoleOfStructureName(name, r) || r != role) continue;
      if (q.caps ? name == queried : NameInClass(name, q.mediaClass)) return true;
    }
  }
  return false;
}

class Mapper : public RefCounted<IFilterMapper2> {
 public:
  HRESULT EnumMatchingFilters(ComPtr<IEnumMoniker>& monikers, uint32_t, bool, uint32_t minMerit, bool inputNeeded,
                              uint32_t inputTypeCount, const GUID* inputTypes, const void*, const GUID*, bool, bool,
                              uint32_t, const GUID*, const void*, const GUID*) override {
    std::vector<TypeQuery> queries;
    for (uint32_t i = 0; inputTypes && i < inputTypeCount; ++i) {
      const GUID& major = inputTypes[2 * i];
      const GUID& sub = inputTypes[2 * i + 1];
      TypeQuery q{sub == GUID_NULL ? CapsRef() : CapsOfSubtype(sub), major == GUID_NULL ? "" : MediaClassOfMajor(major)};
      // A type this backend never handed out matches nothing.
      if ((major != GUID_NULL && q.mediaClass.empty()) || (sub != GUID_NULL && !q.caps)) continue;
      queries.push_back(std::move(q));
    }
    const bool anyType = inputTypeCount == 0;

    struct Candidate {
      const FactoryRecord* record;
      uint32_t merit;
    };
    std::vector<Candidate> found;
    const Catalogue& catalogue = Catalogue::Get();
    for (GstElementFactory* factory : catalogue.Decodable()) {
      if (MeritFromRank(gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(factory))) < minMerit) continue;
      // A factory that accepts a queried type has a sink template: only the query for any
      // type needs the record to tell.
      if (!anyType && !FactoryAccepts(factory, queries)) continue;
      const FactoryRecord& r = catalogue.Record(factory);
      if (!inputNeeded || r.hasSinkTemplate) found.push_back({&r, r.merit});
    }
    for (RenderRole role : {RenderRole::kVideo, RenderRole::kAudio, RenderRole::kText}) {
      if (!anyType && !RoleAccepts(role, queries)) continue;
      for (const Renderer& renderer : RenderersFor(role)) {
        const bool known = std::any_of(found.begin(), found.end(),
                                       [&](const Candidate& c) { return c.record == renderer.record; });
        if (!known && renderer.merit >= minMerit) found.push_back({renderer.record, renderer.merit});
      }
    }
    std::stable_sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) { return a.merit > b.merit; });
    std::vector<ComPtr<IMoniker>> items;
    for (const Candidate& c : found) items.push_back(MakeFactoryMoniker(*c.record));
    monikers = MakeCom<ListEnum<IEnumMoniker, ComPtr<IMoniker>>>(std::move(items));
    return S_OK;
  }
};

}  // namespace

ComPtr<IMoniker> MakeFactoryMoniker(const FactoryRecord& record) { return MakeCom<FactoryMoniker>(record); }
ComPtr<ICreateDevEnum> MakeDeviceEnumerator() { return MakeCom<DeviceEnumerator>(); }
ComPtr<IFilterMapper2> MakeMapper() { return MakeCom<Mapper>(); }

}  // namespace ambrel::media::gst
