// The registered filters: every element factory of the GStreamer registry, with its class
// id, merit, plugin file and plugin version, and the categories that list them.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/gst/GstBackend.h"

namespace ambrel::media::gst {

namespace {

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
  // Put in name order before the records are made: sorting the list moves pointers, where
  // sorting the records would move their strings.
  GList* features = g_list_sort(gst_registry_get_feature_list(gst_registry_get(), GST_TYPE_ELEMENT_FACTORY),
                                [](gconstpointer a, gconstpointer b) {
                                  return std::strcmp(GST_OBJECT_NAME(a), GST_OBJECT_NAME(b));
                                });
  records_.reserve(g_list_length(features));
  for (GList* l = features; l; l = l->next) {
    auto* factory = GST_ELEMENT_FACTORY(l->data);
    FactoryRecord r;
    r.factory = GstRef<GstElementFactory>::Share(factory);
    r.name = GST_OBJECT_NAME(factory);
    if (const char* longName = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_LONGNAME))
      r.longName = longName;
    r.merit = MeritFromRank(gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(factory)));
    r.hasPadTemplates = HasPadTemplate(factory, GST_PAD_SINK, true);
    r.hasSinkTemplate = HasPadTemplate(factory, GST_PAD_SINK, false);
    const char* klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
    const bool sink = klass && std::strstr(klass, "Sink");
    r.audioSink = sink && std::strstr(klass, "Audio");
    r.videoSink = sink && std::strstr(klass, "Video");
    r.decodable = gst_element_factory_list_is_type(factory, GST_ELEMENT_FACTORY_TYPE_DECODABLE);
    // The factory holds its plugin's name; the file is the plugin's own.
    if (GstPlugin* plugin = gst_plugin_feature_get_plugin(GST_PLUGIN_FEATURE(factory))) {
      if (const gchar* file = gst_plugin_get_filename(plugin)) r.pluginFile = file;
      gst_object_unref(plugin);
    }
    records_.push_back(std::move(r));
  }
  gst_plugin_feature_list_free(features);
}

const FactoryRecord* Catalogue::ByClsid(const GUID& clsid) const {
  // Every class id handed out is a version-5 (SHA-1 name-based) UUID of the RFC 4122
  // variant: any other id names no factory, and needs no index.
  if ((clsid.Data3 >> 12) != 5 || (clsid.Data4[0] & 0xC0) != 0x80) return nullptr;
  std::call_once(indexed_, [this] {
    for (size_t i = 0; i < records_.size(); ++i) byClsid_.emplace(records_[i].Clsid(), i);
  });
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
  std::call_once(versioned_, [this] {
    GList* plugins = gst_registry_get_plugin_list(gst_registry_get());
    for (GList* l = plugins; l; l = l->next) {
      auto* plugin = GST_PLUGIN(l->data);
      const gchar* file = gst_plugin_get_filename(plugin);
      uint32_t vms = 0;
      uint32_t vls = 0;
      if (file && *file && ParseVersion(gst_plugin_get_version(plugin), vms, vls)) versions_[file] = {vms, vls};
    }
    gst_plugin_list_free(plugins);
  });
  const auto it = versions_.find(Narrow(path));
  if (it == versions_.end()) return false;
  ms = it->second.first;
  ls = it->second.second;
  return true;
}

}  // namespace ambrel::media::gst
