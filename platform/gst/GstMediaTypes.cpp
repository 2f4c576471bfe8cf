// Media types over caps: one type per caps structure, named by GUIDs made from the
// structure name, carrying the single-structure caps for linking.
#include "platform/gst/GstBackend.h"

namespace ambrel::media::gst {

namespace {

// Remembers which names the GUIDs handed out were made from, so that the mapper can turn
// a (major, subtype) pair back into caps.
class GuidNames {
 public:
  static GuidNames& Get() {
    static GuidNames names;
    return names;
  }
  GUID Remember(const std::string& prefix, const std::string& name) {
    const GUID guid = NameGuid(prefix + name);
    std::lock_guard lock(mutex_);
    names_.emplace(guid, name);
    return guid;
  }
  std::string Find(const GUID& guid) {
    std::lock_guard lock(mutex_);
    const auto it = names_.find(guid);
    return it == names_.end() ? std::string() : it->second;
  }

 private:
  std::mutex mutex_;
  std::map<GUID, std::string> names_;
};

// Keeps the caps of a media type alive in its pUnk field.
class CapsHolder : public RefCounted<IUnknown> {
 public:
  explicit CapsHolder(CapsRef caps) : caps_(std::move(caps)) {}
  const CapsRef& Caps() const { return caps_; }

 private:
  CapsRef caps_;
};

class MediaTypeEnum : public RefCounted<IEnumMediaTypes> {
 public:
  explicit MediaTypeEnum(std::vector<CapsRef> types) : types_(std::move(types)) {}
  HRESULT Next(std::unique_ptr<AM_MEDIA_TYPE>& item) override {
    if (pos_ >= types_.size()) {
      item.reset();
      return S_FALSE;
    }
    item = MakeMediaType(types_[pos_++]);
    return S_OK;
  }
  HRESULT Reset() override {
    pos_ = 0;
    return S_OK;
  }

 private:
  std::vector<CapsRef> types_;
  size_t pos_ = 0;
};

}  // namespace

std::vector<CapsRef> SplitCaps(GstCaps* caps) {
  std::vector<CapsRef> out;
  if (!caps || gst_caps_is_any(caps)) return out;
  for (guint i = 0; i < gst_caps_get_size(caps); ++i) out.push_back(CapsRef::Adopt(gst_caps_copy_nth(caps, i)));
  return out;
}

std::unique_ptr<AM_MEDIA_TYPE> MakeMediaType(const CapsRef& single) {
  auto type = std::make_unique<AM_MEDIA_TYPE>();
  const std::string name = gst_structure_get_name(gst_caps_get_structure(single.get(), 0));
  const std::string mediaClass = name.substr(0, name.find('/'));
  type->majortype = GuidNames::Get().Remember("gstreamer-media:", mediaClass);
  type->subtype = GuidNames::Get().Remember("gstreamer-caps:", name);
  type->pUnk = MakeCom<CapsHolder>(single);
  return type;
}

CapsRef CapsOfMediaType(const AM_MEDIA_TYPE& type) {
  const auto* holder = dynamic_cast<const CapsHolder*>(type.pUnk.Get());
  return holder ? holder->Caps() : CapsRef();
}

std::string StructureNameOfSubtype(const GUID& subtype) { return GuidNames::Get().Find(subtype); }
std::string MediaClassOfMajor(const GUID& major) { return GuidNames::Get().Find(major); }

ComPtr<IEnumMediaTypes> MakeMediaTypeEnum(std::vector<CapsRef> types) {
  return MakeCom<MediaTypeEnum>(std::move(types));
}

}  // namespace ambrel::media::gst
