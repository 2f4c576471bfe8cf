// The registered filters: every element factory of the GStreamer registry, with its class
// id, merit, plugin file and plugin version, and the categories that list them.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/gst/GstBackend.h"

namespace ambrel::media::gst {

namespace {

bool KlassHas(GstElementFactory* factory, const char* word) {
  const char* klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
  return klass && std::strstr(klass, word);
}

// "1.22.0" -> 1, 22, 0, 0: up to four dot-separated numbers, each from its leading digits
// and capped at 65535. False when the text starts with no number.
bool ParseVersion(const char* text, uint32_t& ms, uint32_t& ls) {
  if (!text || !g_ascii_isdigit(*text)) return false;
  uint32_t parts[4] = {0, 0, 0, 0};
  const char* p = text;
  for (int i = 0; i < 4 && g_ascii_isdigit(*p); ++i) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(p, &end, 10);
    parts[i] = static_cast<uint32_t>(std::min<unsigned long>(value, 0xFFFF));
    p = end;
    if (*p != '.') break;
    ++p;
  }
  ms = parts[0] << 16 | parts[1];
  ls = parts[2] << 16 | parts[3];
  return true;
}

bool HasPadTemplate(GstElementFactory* factory, GstPadDirection direction, bool any) {
  for (const GList* l = gst_element_factory_get_static_pad_templates(factory); l; l = l->next) {
    const auto* templ = static_cast<const GstStaticPadTemplate*>(l->data);
    if (any || templ->direction == direction) return true;
  }
  return false;
}

}  // namespace

const Catalogue& Catalogue::Get() {
  static const Catalogue catalogue;
  return catalogue;
}

Catalogue::Catalogue() {
  GList* features = gst_registry_get_feature_list(gst_registry_get(), GST_TYPE_ELEMENT_FACTORY);
  for (GList* l = features; l; l = l->next) {
    auto* factory = GST_ELEMENT_FACTORY(l->data);
    FactoryRecord r;
    r.factory = GstRef<GstElementFactory>::Share(factory);
    r.name = GST_OBJECT_NAME(factory);
    r.longName = Wide(gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_LONGNAME));
    r.clsid = NameGuid("gstreamer-element:" + r.name);
    r.merit = MeritFromRank(gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(factory)));
    r.hasPadTemplates = HasPadTemplate(factory, GST_PAD_SINK, true);
    r.hasSinkTemplate = HasPadTemplate(factory, GST_PAD_SINK, false);
    r.audioSink = KlassHas(factory, "Sink") && KlassHas(factory, "Audio");
    r.videoSink = KlassHas(factory, "Sink") && KlassHas(factory, "Video");
    r.decodable = gst_element_factory_list_is_type(factory, GST_ELEMENT_FACTORY_TYPE_DECODABLE);
    if (GstPlugin* plugin = gst_plugin_feature_get_plugin(GST_PLUGIN_FEATURE(factory))) {
      r.server = Wide(gst_plugin_get_filename(plugin));
      uint32_t ms = 0;
      uint32_t ls = 0;
      if (!r.server.empty() && ParseVersion(gst_plugin_get_version(plugin), ms, ls)) versions_[r.server] = {ms, ls};
      gst_object_unref(plugin);
    }
    records_.push_back(std::move(r));
  }
  gst_plugin_feature_list_free(features);
  std::sort(records_.begin(), records_.end(),
            [](const FactoryRecord& a, const FactoryRecord& b) { return a.name < b.name; });
  for (size_t i = 0; i < records_.size(); ++i) byClsid_.emplace(records_[i].clsid, i);
}

const FactoryRecord* Catalogue::ByClsid(const GUID& clsid) const {
  const auto it = byClsid_.find(clsid);
  return it == byClsid_.end() ? nullptr : &records_[it->second];
}

const FactoryRecord* Catalogue::ByName(std::string_view name) const {
  for (const FactoryRecord& r : records_) {
    if (r.name == name) return &r;
  }
  return nullptr;
}

std::vector<const FactoryRecord*> Catalogue::Category(const GUID& category) const {
  std::vector<const FactoryRecord*> out;
  for (const FactoryRecord& r : records_) {
    const bool member = category == CLSID_LegacyAmFilterCategory   ? r.hasPadTemplates
                        : category == CLSID_AudioRendererCategory ? r.audioSink
                                                                  : false;
    if (member) out.push_back(&r);
  }
  return out;
}

bool Catalogue::PluginFileVersion(const std::u16string& path, uint32_t& ms, uint32_t& ls) const {
  const auto it = versions_.find(path);
  if (it == versions_.end()) return false;
  ms = it->second.first;
  ls = it->second.second;
  return true;
}

}  // namespace ambrel::media::gst
