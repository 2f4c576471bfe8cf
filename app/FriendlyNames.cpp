#include "app/FriendlyNames.h"

#include <cstdio>
#include <memory>

#include "platform/ByteSource.h"
#include "report/TextUtil.h"
#include "resources/Resources.h"

namespace ambrel {

namespace {

// A table larger than this is not a friendly-names file; the embedded one is used.
constexpr int64_t kMaxFileSize = 64 * 1024 * 1024;

// The whole file, or false when it is missing, not a regular file, too large or unreadable.
bool ReadWholeFile(const std::string& path, std::string& bytes) {
  const std::unique_ptr<ambrel::TByteSource> source = ambrel::OpenFileSource(path);
  if (!source) return false;
  const int64_t size = source->Size();
  if (size < 0 || size > kMaxFileSize) return false;
  bytes.assign(static_cast<std::size_t>(size), '\0');
  int64_t done = 0;
  while (done < size) {
    const int64_t got = source->ReadAt(done, bytes.data() + done, size - done);
    if (got < 0) return false;
    if (got == 0) break;  // shrank while being read: keep what was there
    done += got;
  }
  bytes.resize(static_cast<std::size_t>(done));
  return true;
}

}  // namespace

void TFriendlyNames::LoadFromBytes(std::string_view bytes) {
  FLines.clear();
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      FLines.emplace_back(bytes.substr(start));
      break;
    }
    FLines.emplace_back(bytes.substr(start, end - start));
    if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ++end;
    start = end + 1;
  }
}

void TFriendlyNames::Load(const std::string& exeDir) {
  std::string path = exeDir;
  if (!path.empty() && path.back() != '/') path += '/';
  path += "CodecsFriendlyNames.ini";
  std::string bytes;
  if (ReadWholeFile(path, bytes)) {
    LoadFromBytes(bytes);
  } else {
    LoadFromBytes(ambrel::resources::CodecsFriendlyNames());
  }
}

bool TFriendlyNames::FindName(std::string_view key, std::string& name) const {
  for (const std::string& line : FLines) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    if (ambrel::SameTextAscii(std::string_view(line).substr(0, eq), key)) {
      name = line.substr(eq + 1);
      return true;
    }
  }
  return false;
}

std::string TFriendlyNames::LookupFriendlyName(const std::string& key) const {
  return LookupFriendlyName(key, key);
}

std::string TFriendlyNames::LookupFriendlyName(const std::string& key, const std::string& shownKey) const {
  std::string name;
  if (FindName(key, name) && !name.empty()) return name + " (" + shownKey + ")";
  return shownKey;
}

std::string TFriendlyNames::LookupFormatTagName(uint16_t tag) const {
  char key[8];
  std::snprintf(key, sizeof key, "%4.4X", static_cast<unsigned>(tag));
  return LookupFriendlyName(key);
}

}  // namespace ambrel
