// The media-framework interface over GStreamer: class creation, catalogue, running
// object table, error texts, ticks, and the registry and file-version questions answered
// from the plugin registry.
#include <dlfcn.h>
#include <gst/pbutils/pbutils.h>

#include <cstdlib>

#include "com/Moniker.h"
#include "media/BasicMediaFramework.h"
#include "media/gst/GstBackend.h"

namespace ambrel::media {

namespace gst {
namespace {

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    if (lower(text[i]) != lower(prefix[i])) return false;
  }
  return true;
}

class Framework : public TBasicMediaFramework {
 public:

  std::string Description() const override {
    gchar* version = gst_version_string();
    std::string text = version ? version : "GStreamer";
    g_free(version);
    return text;
  }

  HRESULT CoCreateInstance(const CLSID& clsid, const IID& iid, ComPtr<IUnknown>& object) override {
    object.Reset();
    const auto wants = [&](const IID& own) { return iid == own || iid == IID_IUnknown; };
    if (clsid == CLSID_SystemDeviceEnum) {
      if (!wants(IID_ICreateDevEnum)) return E_NOINTERFACE;
      object = MakeDeviceEnumerator();
    } else if (clsid == CLSID_FilterGraph) {
      if (!wants(IID_IGraphBuilder)) return E_NOINTERFACE;
      object = MakeCom<GstGraph>(session_);
    } else if (clsid == CLSID_FilterMapper2) {
      if (!wants(IID_IFilterMapper2)) return E_NOINTERFACE;
      object = MakeMapper();
    } else {
      return REGDB_E_CLASSNOTREG;
    }
    return S_OK;
  }

  HRESULT MkParseDisplayName(IBindCtx*, const std::u16string& displayName, ComPtr<IMoniker>& moniker) override {
    moniker.Reset();
    const std::u16string_view prefix = kLegacyFilterMonikerPrefix;
    if (!StartsWithNoCase(displayName, prefix)) return MK_E_SYNTAX;
    GUID clsid;
    if (FAILED(CLSIDFromString(std::u16string_view(displayName).substr(prefix.size()), clsid))) return MK_E_SYNTAX;
    const FactoryRecord* record = Catalogue::Get().ByClsid(clsid);
    if (!record || !record->hasPadTemplates) return MK_E_SYNTAX;
    moniker = MakeFactoryMoniker(*record);
    return S_OK;
  }

  uint32_t AMGetErrorTextW(HRESULT hr, char16_t* buffer, uint32_t size) override {
    return CopyErrorText(BackendErrorText(static_cast<uint32_t>(hr)), buffer, size);
  }

  int32_t RegQueryDefaultValue(const std::u16string& keyPath, std::u16string& value) override {
    value.clear();
    const std::u16string head = u"Software\\Classes\\CLSID\\";
    const std::u16string tail = u"\\InprocServer32";
    if (keyPath.size() != head.size() + 38 + tail.size() || !StartsWithNoCase(keyPath, head) ||
        !StartsWithNoCase(std::u16string_view(keyPath).substr(head.size() + 38), tail))
      return ERROR_FILE_NOT_FOUND;
    GUID clsid;
    if (FAILED(CLSIDFromString(std::u16string_view(keyPath).substr(head.size(), 38), clsid))) return ERROR_FILE_NOT_FOUND;
    const FactoryRecord* record = Catalogue::Get().ByClsid(clsid);
    if (!record || record->pluginFile.empty()) return ERROR_FILE_NOT_FOUND;
    value = record->Server();
    return ERROR_SUCCESS;
  }

  std::vector<std::pair<std::string, std::string>> RenderFileNotes() override {
    std::vector<std::pair<std::string, std::string>> notes;
    for (const std::string& renderer : session_->Last().renderers) notes.emplace_back("Renderer used", renderer);
    return notes;
  }

  TRenderFileStreams RenderFileStreams() override { return session_->Last().playback; }

  TPlatformFacts PlatformFacts() override {
    return {Description(), "Matroska demuxer", GuidToString(NameGuid("gstreamer-element:matroskademux"))};
  }

  bool GetFileVersion(const std::u16string& path, uint32_t& versionMS, uint32_t& versionLS) override {
    versionMS = versionLS = 0;
    return !path.empty() && Catalogue::Get().PluginFileVersion(path, versionMS, versionLS);
  }

  void PrepareRenderFile(const std::u16string& fileName) override { session_->Start(PathBytes(fileName)); }
  // Each graph is a pipeline of its own; the registry, the catalogue and the running object
  // table are shared under their own locks.
  bool BuildsGraphsConcurrently() override { return true; }
  // The graphs are torn down on threads of their own (see GstGraph::~GstGraph).
  TLeftovers Settle(std::chrono::milliseconds wait) override { return SettleJobs(wait); }

 private:
  std::shared_ptr<RenderSession> session_ = std::make_shared<RenderSession>();

};

}  // namespace
}  // namespace gst

namespace gst {
namespace {

// The plugins every analysis uses (the decoding bin, the file source and type finders, the
// Matroska demuxer, the stand-in sinks). Their files, and the libraries they pull in, are
// opened while the registry is read, on a second core; GStreamer's own loading of them
// later finds them mapped. Skipped when the environment points GStreamer at other
// plugin folders, where it might load other copies.
void WarmCommonPlugins() {
#ifdef AMBREL_GST_PLUGINS_DIR
  for (const char* variable : {"GST_PLUGIN_SYSTEM_PATH", "GST_PLUGIN_SYSTEM_PATH_1_0", "GST_PLUGIN_PATH",
                               "GST_PLUGIN_PATH_1_0", "GST_REGISTRY", "GST_REGISTRY_1_0"}) {
    if (std::getenv(variable)) return;
  }
  RunDetached([] {
    for (const char* plugin : {"libgstplayback.so", "libgstcoreelements.so", "libgsttypefindfunctions.so",
                               "libgstmatroska.so", "libgstdebugutilsbad.so"}) {
      // Never closed: GStreamer opens the same files and keeps them.
      dlopen((std::string(AMBREL_GST_PLUGINS_DIR "/") + plugin).c_str(), RTLD_LAZY | RTLD_LOCAL);
    }
  });
#endif
}

// GStreamer's start looks up its own library's location twice (dladdr), at its very
// beginning and once the registry has been read, and each lookup waits while another
// thread opens a library. The warming therefore starts from a hook that runs after that
// first step, and has the time of the registry's reading to itself. The initialisation
// is GStreamer's own option group parsed with no arguments, which is what gst_init does.
bool InitialiseGStreamer() {
  static std::mutex lock;
  std::lock_guard guard(lock);
  if (gst_is_initialized()) return true;
  GOptionContext* context = g_option_context_new(nullptr);
  g_option_context_set_ignore_unknown_options(context, TRUE);
  g_option_context_set_help_enabled(context, FALSE);
  g_option_context_add_group(context, gst_init_get_option_group());
  GOptionGroup* warming = g_option_group_new("ambrel-warming", "", "", nullptr, nullptr);
  g_option_group_set_parse_hooks(
      warming,
      [](GOptionContext*, GOptionGroup*, gpointer, GError**) -> gboolean {
        WarmCommonPlugins();
        return TRUE;
      },
      nullptr);
  g_option_context_add_group(context, warming);
  int argc = 0;
  char** argv = nullptr;
  GError* error = nullptr;
  const bool parsed = g_option_context_parse(context, &argc, &argv, &error);
  if (error) g_error_free(error);
  g_option_context_free(context);
  return parsed && gst_is_initialized();
}

}  // namespace
}  // namespace gst

std::unique_ptr<IMediaFramework> CreateGStreamerFramework() {
  if (!gst::InitialiseGStreamer()) return CreateNoMediaFramework();
  gst_pb_utils_init();
  return std::make_unique<gst::Framework>();
}

}  // namespace ambrel::media
