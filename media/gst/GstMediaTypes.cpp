// Media types over caps: one type per caps structure, its major type named after the
// media class and its subtype after the whole structure, carrying the caps for linking.
#include <cstring>

#include "media/gst/GstBackend.h"

namespace ambrel::media::gst {

namespace {

// Remembers what the GUIDs handed out were made from (a media class for a major type, one
// caps structure for a subtype), so that the mapper can turn a (major, subtype) pair back
// into caps. One analysis uses a few hundred at most; a long batch would make many more
// (every distinct codec private block is a subtype of its own), so the oldest are
// forgotten once the texts kept pass kMaxRememberedBytes or their number kMaxRemembered.
class GuidOrigins {
 public:
  static GuidOrigins& Get() {
    static GuidOrigins origins;
    return origins;
  }
  GUID Remember(const std::string& text, const CapsRef& caps) { return Remember(text, caps, NameGuid(text)); }
  GUID Remember(const std::string& text, const CapsRef& caps, const GUID& guid) {
    std::lock_guard lock(mutex_);
    const auto [it, added] = origins_.emplace(guid, Origin{text, caps, 0});
    // One seen again moves to the young end, so that what an analysis uses stays.
    if (!added) order_.erase(it->second.age);
    it->second.age = ++clock_;
    order_.emplace(it->second.age, guid);
    if (added) {
      bytes_ += text.size();
      if (caps) byName_.emplace(NameOf(caps), guid);
    }
    while (origins_.size() > kMaxRemembered || bytes_ > kMaxRememberedBytes) Forget();
    return guid;
  }
  bool Find(const GUID& guid, std::string& text, CapsRef& caps) {
    std::lock_guard lock(mutex_);
    const auto it = origins_.find(guid);
    if (it == origins_.end()) return false;
    text = it->second.text;
    caps = it->second.caps;
    return true;
  }
  // The subtype remembered for caps equal to these, field for field in the same order (so
  // that their text, and so their GUID, is the same), seen again; false when none is. Every
  // output is asked for its types several times, and finding them costs far less than
  // writing them out as text and hashing it.
  bool Seen(const CapsRef& caps, GUID& guid) {
    const std::string name = NameOf(caps);
    std::lock_guard lock(mutex_);
    for (auto [it, end] = byName_.equal_range(name); it != end; ++it) {
      const auto origin = origins_.find(it->second);
      if (origin == origins_.end() || !SameCaps(origin->second.caps.get(), caps.get())) continue;
      order_.erase(origin->second.age);
      origin->second.age = ++clock_;
      order_.emplace(origin->second.age, it->second);
      guid = it->second;
      return true;
    }
    return false;
  }
  size_t Size() {
    std::lock_guard lock(mutex_);
    return origins_.size();
  }

 private:
  struct Origin {
    std::string text;
    CapsRef caps;
    uint64_t age;
  };
  static std::string NameOf(const CapsRef& caps) {
    return gst_caps_get_size(caps.get()) ? gst_structure_get_name(gst_caps_get_structure(caps.get(), 0)) : "";
  }
  static bool SameCaps(GstCaps* a, GstCaps* b) {
    if (!a || !b || gst_caps_get_size(a) != 1 || gst_caps_get_size(b) != 1 || !gst_caps_is_strictly_equal(a, b))
      return false;
    const GstStructure* x = gst_caps_get_structure(a, 0);
    const GstStructure* y = gst_caps_get_structure(b, 0);
    const int fields = gst_structure_n_fields(x);
    if (fields != gst_structure_n_fields(y)) return false;
    for (int i = 0; i < fields; ++i)
      if (std::strcmp(gst_structure_nth_field_name(x, i), gst_structure_nth_field_name(y, i)) != 0) return false;
    return true;
  }
  // Forgets the origin not seen for longest.
  void Forget() {
    const GUID guid = order_.begin()->second;  // kept: the entry is erased before the name index is searched
    const auto it = origins_.find(guid);
    order_.erase(order_.begin());
    if (it->second.caps) {
      for (auto [at, end] = byName_.equal_range(NameOf(it->second.caps)); at != end; ++at) {
        if (at->second != guid) continue;
        byName_.erase(at);
        break;
      }
    }
    bytes_ -= it->second.text.size();
    origins_.erase(it);
  }

  std::mutex mutex_;
  std::map<GUID, Origin> origins_;
  std::map<uint64_t, GUID> order_;
  std::multimap<std::string, GUID> byName_;  // the subtypes remembered with caps, by structure name
  uint64_t clock_ = 0;
  size_t bytes_ = 0;
};

}  // namespace

size_t RememberedMediaTypes() { return GuidOrigins::Get().Size(); }

namespace {

// Keeps the caps of a media type alive in its pUnk field.
class CapsHolder : public RefCounted<IUnknown> {
 public:
  explicit CapsHolder(CapsRef caps) : caps_(std::move(caps)) {}
  const CapsRef& Caps() const { return caps_; }

 private:
  CapsRef caps_;
};

}  // namespace

std::vector<CapsRef> SplitCaps(GstCaps* caps) {
  std::vector<CapsRef> out;
  if (!caps || gst_caps_is_any(caps)) return out;
  for (guint i = 0; i < gst_caps_get_size(caps); ++i) out.push_back(CapsRef::Adopt(gst_caps_copy_nth(caps, i)));
  return out;
}

namespace {

// The major type of a media class; the few classes there are keep their GUIDs.
GUID MajorOf(const std::string& mediaClass) {
  static std::mutex mutex;
  static std::map<std::string, GUID, std::less<>> known;
  const std::string text = "gstreamer-media:" + mediaClass;
  GUID guid;
  {
    std::lock_guard lock(mutex);
    const auto it = known.find(mediaClass);
    if (it != known.end()) {
      guid = it->second;
    } else {
      guid = NameGuid(text);
      if (known.size() < 64) known.emplace(mediaClass, guid);
    }
  }
  return GuidOrigins::Get().Remember(text, CapsRef(), guid);
}

}  // namespace

std::unique_ptr<AM_MEDIA_TYPE> MakeMediaType(const CapsRef& single) {
  auto type = std::make_unique<AM_MEDIA_TYPE>();
  const std::string name = gst_structure_get_name(gst_caps_get_structure(single.get(), 0));
  type->majortype = MajorOf(name.substr(0, name.find('/')));
  if (!GuidOrigins::Get().Seen(single, type->subtype)) {
    gchar* text = gst_caps_to_string(single.get());
    type->subtype = GuidOrigins::Get().Remember(std::string("gstreamer-caps:") + text, single);
    g_free(text);
  }
  type->pUnk = MakeCom<CapsHolder>(single);
  return type;
}

CapsRef CapsOfMediaType(const AM_MEDIA_TYPE& type) {
  const auto* holder = dynamic_cast<const CapsHolder*>(type.pUnk.Get());
  return holder ? holder->Caps() : CapsRef();
}

CapsRef CapsOfSubtype(const GUID& subtype) {
  std::string text;
  CapsRef caps;
  GuidOrigins::Get().Find(subtype, text, caps);
  return caps;
}

std::string MediaClassOfMajor(const GUID& major) {
  std::string text;
  CapsRef caps;
  constexpr std::string_view kPrefix = "gstreamer-media:";
  if (!GuidOrigins::Get().Find(major, text, caps) || text.rfind(kPrefix, 0) != 0) return {};
  return text.substr(kPrefix.size());
}

ComPtr<IEnumMediaTypes> MakeMediaTypeEnum(std::vector<CapsRef> types) {
  return MakeCom<TListEnum<IEnumMediaTypes, std::unique_ptr<AM_MEDIA_TYPE>, CapsRef>>(std::move(types), MakeMediaType);
}

}  // namespace ambrel::media::gst
