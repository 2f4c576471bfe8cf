// The sinks that take decoded streams on this machine. Device sinks (sound servers, display
// windows) are offered only when the machine seems to have the device and the sink opens
// it; otherwise a stand-in sink that accepts the decoded stream and discards it takes the
// renderer's place, so that the analysis still answers whether every stream decodes.
// Decoded subtitles have no sink of their own (players draw them onto the video): the
// generic fake sink stands in for them.
#include <cstdlib>
#include <filesystem>

#include "media/gst/GstBackend.h"

namespace ambrel::media::gst {

namespace {

// The merit a stand-in gets: that of an ordinary renderer, so that a search at the usual
// minimum merit finds it.
constexpr uint32_t kStandInMerit = 0x600000;

bool EnvSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

bool SoundDeviceLikely() {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (EnvSet("PULSE_SERVER")) return true;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
    if (fs::exists(fs::path(runtime) / "pulse" / "native", ec) || fs::exists(fs::path(runtime) / "pipewire-0", ec))
      return true;
  }
  for (const auto& entry : fs::directory_iterator("/dev/snd", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("pcm", 0) == 0 && !name.empty() && name.back() == 'p') return true;
  }
  return false;
}

bool DisplayLikely() { return EnvSet("DISPLAY") || EnvSet("WAYLAND_DISPLAY"); }

// Whether a new element of the factory reaches READY (opens its device) in bounded time.
bool OpensDevice(const FactoryRecord& record) {
  GstRef<GstElementFactory> factory = record.factory;
  return RunBounded(
      [factory] {
        GstElement* element = gst_element_factory_create(factory.get(), nullptr);
        if (!element) return false;
        gst_object_ref_sink(element);
        const bool ok = gst_element_set_state(element, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS;
        gst_element_set_state(element, GST_STATE_NULL);
        gst_object_unref(element);
        return ok;
      },
      CurrentTimeouts().deviceProbe);
}

std::vector<Renderer> Choose(RenderRole role) {
  const Catalogue& catalogue = Catalogue::Get();
  std::vector<Renderer> out;
  const bool devices = role == RenderRole::kAudio ? SoundDeviceLikely() : role == RenderRole::kVideo && DisplayLikely();
  if (devices) {
    std::vector<const FactoryRecord*> sinks;
    for (const FactoryRecord* r : catalogue.Records()) {
      const bool sink = role == RenderRole::kAudio ? r->audioSink : r->videoSink;
      // Only sinks of ordinary renderer rank: the mapper offers no others, and some
      // marginal ones bring down the process when their device is absent.
      if (sink && gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(r->factory.get())) >= GST_RANK_SECONDARY)
        sinks.push_back(r);
    }
    std::stable_sort(sinks.begin(), sinks.end(),
                     [](const FactoryRecord* a, const FactoryRecord* b) { return a->merit > b->merit; });
    for (const FactoryRecord* r : sinks) {
      if (OpensDevice(*r)) out.push_back({r, r->merit, false});
    }
  }
  if (out.empty()) {
    if (const FactoryRecord* r = StandInFor(role)) out.push_back({r, kStandInMerit, true});
  }
  return out;
}

}  // namespace

const char* StandInName(RenderRole role) {
  return role == RenderRole::kAudio ? "fakeaudiosink" : role == RenderRole::kVideo ? "fakevideosink" : "fakesink";
}

const FactoryRecord* StandInFor(RenderRole role) {
  const Catalogue& catalogue = Catalogue::Get();
  const FactoryRecord* r = catalogue.ByName(StandInName(role));
  return r ? r : catalogue.ByName("fakesink");
}

const std::vector<Renderer>& RenderersFor(RenderRole role) {
  // Each role is probed the first time it is asked for, once per process.
  switch (role) {
    case RenderRole::kAudio: {
      static const std::vector<Renderer> audio = Choose(RenderRole::kAudio);
      return audio;
    }
    case RenderRole::kVideo: {
      static const std::vector<Renderer> video = Choose(RenderRole::kVideo);
      return video;
    }
    case RenderRole::kText:
      break;
  }
  static const std::vector<Renderer> text = Choose(RenderRole::kText);
  return text;
}

bool RoleOfStructureName(std::string_view name, RenderRole& role) {
  if (name == "audio/x-raw") {
    role = RenderRole::kAudio;
  } else if (name == "video/x-raw") {
    role = RenderRole::kVideo;
  } else if (name == "text/x-raw" || name == "subpicture/x-dvd" || name == "subpicture/x-dvb" ||
             name == "subpicture/x-pgs") {
    role = RenderRole::kText;
  } else {
    return false;
  }
  return true;
}

}  // namespace ambrel::media::gst
