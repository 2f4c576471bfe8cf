// GStreamer's registry cache read as bytes. The cache holds, for each plugin file,
// a fixed header followed by its strings (name, description, file, version, license, ...)
// and then its features, each an element factory's being the type name
// "GstElementFactory" and the factory's name, then its details. Only those strings are
// read: a plugin's file is an absolute path of a loadable module followed by its version,
// and each element factory named after it belongs to it. The layout of the rest may change
// between GStreamer versions without this reading noticing.
#include "media/gst/GstRegistryFiles.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <vector>

#include "base/Utf16.h"
#include "com/Guid.h"
#include "media/FrameworkFiles.h"

namespace ambrel::media::gst {

namespace {

constexpr std::string_view kMagic("\xc0\xde\xf0\x0d", 4);
constexpr std::string_view kElementFactory("\0GstElementFactory\0", 19);
constexpr std::uintmax_t kMaxCacheSize = 64u << 20;  // caches are a few megabytes

#if defined(__x86_64__)
constexpr const char* kTargetCpu = "x86_64";
#elif defined(__aarch64__)
constexpr const char* kTargetCpu = "aarch64";
#else
constexpr const char* kTargetCpu = nullptr;  // the one registry.*.bin of the folder
#endif

// The NUL-terminated string at Pos; empty when it runs past the data.
std::string_view StringAt(std::string_view Data, size_t Pos) {
  const size_t end = Data.find('\0', Pos);
  return end == std::string_view::npos ? std::string_view() : Data.substr(Pos, end - Pos);
}

bool IsModulePath(std::string_view s) {
  return s.size() > 1 && s[0] == '/' && (s.ends_with(".so") || s.ends_with(".dylib"));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The element factories of a cache by class id, with their plugins.
using TIndex = std::map<GUID, TCachedPlugin>;

TIndex IndexOf(std::string_view Cache) {
  TIndex index;
  if (!Cache.starts_with(kMagic)) return index;
  struct THeader {
    size_t Pos;
    std::string_view File, Version;
  };
  std::vector<THeader> plugins;
  for (size_t pos = Cache.find(std::string_view("\0/", 2)); pos != std::string_view::npos;
       pos = Cache.find(std::string_view("\0/", 2), pos + 1)) {
    const std::string_view file = StringAt(Cache, pos + 1);
    if (!IsModulePath(file)) continue;
    const std::string_view version = StringAt(Cache, pos + 2 + file.size());
    if (!version.empty() && IsDigit(version[0])) plugins.push_back({pos, file, version});
  }
  for (size_t pos = Cache.find(kElementFactory); pos != std::string_view::npos;
       pos = Cache.find(kElementFactory, pos + 1)) {
    const std::string_view name = StringAt(Cache, pos + kElementFactory.size());
    const auto after = std::upper_bound(plugins.begin(), plugins.end(), pos,
                                        [](size_t p, const THeader& h) { return p < h.Pos; });
    if (name.empty() || after == plugins.begin()) continue;
    const THeader& plugin = *std::prev(after);
    index.try_emplace(NameBasedGuid(kUrlNamespace, "gstreamer-element:" + std::string(name)),
                      TCachedPlugin{std::string(plugin.File), std::string(plugin.Version)});
  }
  return index;
}

std::string ReadCache(const std::string& Path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(Path, error);
  if (error || size > kMaxCacheSize) return {};
  std::ifstream in(Path, std::ios::binary);
  std::string bytes(static_cast<size_t>(size), '\0');
  if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return {};
  return bytes;
}

std::string UserCacheFolder() {
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache) return cache;
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* user = getpwuid(getuid());
    home = user ? user->pw_dir : nullptr;
  }
  return std::string(home ? home : "") + "/.cache";
}

// The registry cache of the process, indexed on first use.
const TIndex& ProcessIndex() {
  static const TIndex* const index = new TIndex(IndexOf(ReadCache(RegistryCachePath())));
  return *index;
}

}  // namespace

bool ParsePluginVersion(std::string_view Text, uint32_t& MS, uint32_t& LS) {
  if (Text.empty() || !IsDigit(Text[0])) return false;
  uint32_t parts[4] = {0, 0, 0, 0};
  size_t p = 0;
  for (int i = 0; i < 4 && p < Text.size() && IsDigit(Text[p]); ++i) {
    uint32_t value = 0;
    for (; p < Text.size() && IsDigit(Text[p]); ++p) value = std::min<uint32_t>(value * 10 + (Text[p] - '0'), 0xFFFF);
    parts[i] = value;
    if (p >= Text.size() || Text[p] != '.') break;
    ++p;
  }
  MS = parts[0] << 16 | parts[1];
  LS = parts[2] << 16 | parts[3];
  return true;
}

std::string RegistryCachePath() {
  for (const char* variable : {"GST_REGISTRY_1_0", "GST_REGISTRY"}) {
    if (const char* path = std::getenv(variable)) return path;
  }
  const std::filesystem::path folder = std::filesystem::path(UserCacheFolder()) / "gstreamer-1.0";
  if (kTargetCpu) return (folder / (std::string("registry.") + kTargetCpu + ".bin")).string();
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("registry.") && name.ends_with(".bin")) return entry.path().string();
  }
  return {};
}

std::optional<TCachedPlugin> FindFactoryPlugin(std::string_view Cache, const std::string& ClsidText) {
  GUID clsid;
  if (FAILED(CLSIDFromString(ClsidText, clsid))) return std::nullopt;
  const TIndex index = IndexOf(Cache);
  const auto found = index.find(clsid);
  if (found == index.end()) return std::nullopt;
  return found->second;
}

}  // namespace ambrel::media::gst

namespace ambrel::media {

// As the backend answers: the factory's plugin file when the file is there, with the
// plugin's version.
std::optional<TFilterServerFile> FindFilterServerWithoutFramework(const std::string& ClsidText) {
  GUID clsid;
  if (FAILED(CLSIDFromString(ClsidText, clsid))) return std::nullopt;
  const gst::TIndex& index = gst::ProcessIndex();
  const auto found = index.find(clsid);
  struct stat st;
  if (found == index.end() || stat(found->second.File.c_str(), &st) != 0) return std::nullopt;
  TFilterServerFile server;
  server.Path = Utf8ToWide(found->second.File);
  server.HasVersion = gst::ParsePluginVersion(found->second.Version, server.VersionMS, server.VersionLS);
  return server;
}

}  // namespace ambrel::media
