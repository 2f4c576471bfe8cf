// What GStreamer keeps on disk about its plugins, read without GStreamer: the registry
// cache it writes after scanning the plugin folders, and the plugin version numbers as the
// backend gives them. Built into the media library, not the backend module, so that it
// links no GStreamer library.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ambrel::media::gst {

// "1.22.0" -> 1, 22, 0, 0 as the two halves of a file version: up to four dot-separated
// numbers, each from its leading digits and capped at 65535. False when the text starts
// with no number.
bool ParsePluginVersion(std::string_view Text, uint32_t& MS, uint32_t& LS);

// The registry cache GStreamer reads and writes: GST_REGISTRY_1_0, else GST_REGISTRY,
// else the user's cache folder's gstreamer-1.0/registry.CPU.bin.
std::string RegistryCachePath();

// An element factory's plugin as a registry cache lists it.
struct TCachedPlugin {
  std::string File;
  std::string Version;
};

// The plugin of the element factory whose class id is ClsidText, from the registry cache
// Cache (its bytes): none when the cache is not one or does not list the factory.
std::optional<TCachedPlugin> FindFactoryPlugin(std::string_view Cache, const std::string& ClsidText);

}  // namespace ambrel::media::gst
