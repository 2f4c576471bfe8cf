// The registered filters: every element factory of the GStreamer registry, with its class
// id, merit, plugin file and plugin version, and the categories that list them.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "media/gst/GstBackend.h"
#include "media/gst/GstRegistryFiles.h"

namespace ambrel::media::gst {

namespace {

bool HasPadTemplate(GstElementFactory* factory, GstPadDirection direction, bool any) {
  for (const GList* l = gst_element_factory_get_static_pad_templates(factory); l; l = l->next) {
    const auto* templ = static_cast<const GstStaticPadTemplate*>(l->data);
    if (any || templ->direction == direction) return true;
  }
  return false;
}

}  // namespace

const Catalogue& Catalogue::Get() {
  // Never destroyed: a graph still winding down may read it while the program ends.
  static const Catalogue& catalogue = *new Catalogue;
  return catalogue;
}

const FactoryRecord& Catalogue::RecordOf(GstElementFactory* factory) const {
  const char* name = GST_OBJECT_NAME(factory);
  const auto at = byName_.lower_bound(std::string_view(name));
  if (at != byName_.end() && at->first == name) return at->second;
  FactoryRecord r;
  r.factory = GstRef<GstElementFactory>::Share(factory);
  r.name = name;
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
  return byName_.emplace_hint(at, r.name, std::move(r))->second;
}

const std::vector<const FactoryRecord*>& Catalogue::Records() const {
  std::call_once(listed_, [this] {
    GList* factories = gst_registry_get_feature_list(gst_registry_get(), GST_TYPE_ELEMENT_FACTORY);
    const std::lock_guard lock(mutex_);
    for (GList* l = factories; l; l = l->next) RecordOf(GST_ELEMENT_FACTORY(l->data));
    gst_plugin_feature_list_free(factories);
    // Every factory now has its record, and the records are held in name order.
    all_.reserve(byName_.size());
    for (const auto& [name, record] : byName_) all_.push_back(&record);
  });
  return all_;
}

const std::vector<GstElementFactory*>& Catalogue::Decodable() const {
  std::call_once(decodableListed_, [this] {
    // The registry's filter as gst_element_factory_list_get_elements uses it, without the
    // ordering by rank that list would then get.
    GList* factories = gst_registry_feature_filter(
        gst_registry_get(),
        [](GstPluginFeature* feature, gpointer) -> gboolean {
          return GST_IS_ELEMENT_FACTORY(feature) &&
                 gst_element_factory_list_is_type(GST_ELEMENT_FACTORY(feature), GST_ELEMENT_FACTORY_TYPE_DECODABLE);
        },
        FALSE, nullptr);
    for (GList* l = factories; l; l = l->next) decodable_.push_back(GST_ELEMENT_FACTORY(l->data));
    g_list_free(factories);  // the references move to decodable_, kept for the process
    std::sort(decodable_.begin(), decodable_.end(), [](GstElementFactory* a, GstElementFactory* b) {
      return std::strcmp(GST_OBJECT_NAME(a), GST_OBJECT_NAME(b)) < 0;
    });
  });
  return decodable_;
}

const FactoryRecord& Catalogue::Record(GstElementFactory* factory) const {
  const std::lock_guard lock(mutex_);
  return RecordOf(factory);
}

const FactoryRecord* Catalogue::ByClsid(const GUID& clsid) const {
  // Every class id handed out is a version-5 (SHA-1 name-based) UUID of the RFC 4122
  // variant: any other id names no factory, and needs no index.
  if ((clsid.Data3 >> 12) != 5 || (clsid.Data4[0] & 0xC0) != 0x80) return nullptr;
  std::call_once(indexed_, [this] {
    for (const FactoryRecord* r : Records()) byClsid_.emplace(r->Clsid(), r);
  });
  const auto it = byClsid_.find(clsid);
  return it == byClsid_.end() ? nullptr : it->second;
}

const FactoryRecord* Catalogue::ByName(std::string_view name) const {
  const std::lock_guard lock(mutex_);
  const auto found = byName_.find(name);
  if (found != byName_.end()) return &found->second;
  GstPluginFeature* feature =
      gst_registry_find_feature(gst_registry_get(), std::string(name).c_str(), GST_TYPE_ELEMENT_FACTORY);
  if (!feature) return nullptr;
  const FactoryRecord& r = RecordOf(GST_ELEMENT_FACTORY(feature));
  gst_object_unref(feature);
  return &r;
}

std::vector<const FactoryRecord*> Catalogue::Category(const GUID& category) const {
  std::vector<const FactoryRecord*> out;
  for (const FactoryRecord* r : Records()) {
    const bool member = category == CLSID_LegacyAmFilterCategory   ? r->hasPadTemplates
                        : category == CLSID_AudioRendererCategory ? r->audioSink
                                                                  : false;
    if (member) out.push_back(r);
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
      const gchar* version = gst_plugin_get_version(plugin);
      if (file && *file && version && ParsePluginVersion(version, vms, vls)) versions_[file] = {vms, vls};
    }
    gst_plugin_list_free(plugins);
  });
  const auto it = versions_.find(WideToUtf8(path));
  if (it == versions_.end()) return false;
  ms = it->second.first;
  ls = it->second.second;
  return true;
}

}  // namespace ambrel::media::gst
