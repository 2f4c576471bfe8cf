#include "app/FriendlyNames.h"

#include <cstdio>

#include "platform/DataFile.h"
#include "report/TextUtil.h"
#include "resources/Resources.h"

namespace ambrel {

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
  BuildIndex();
}

// Keys point into FLines, which stays as it is until the next load rebuilds the index.
void TFriendlyNames::BuildIndex() {
  FIndex.clear();
  FIndex.reserve(FLines.size());
  for (std::size_t i = 0; i < FLines.size(); ++i) {
    const std::size_t eq = FLines[i].find('=');
    if (eq == std::string::npos) continue;
    FIndex.try_emplace(std::string_view(FLines[i]).substr(0, eq), i);  // the first row wins
  }
}

std::size_t TFriendlyNames::TKeyHash::operator()(std::string_view key) const {
  std::size_t h = 14695981039346656037ull;  // FNV-1a over the upper-cased bytes
  for (char c : key) {
    h ^= static_cast<unsigned char>(AsciiUpperChar(c));
    h *= 1099511628211ull;
  }
  return h;
}

bool TFriendlyNames::TKeyEqual::operator()(std::string_view a, std::string_view b) const {
  return SameTextAscii(a, b);
}

void TFriendlyNames::Load(const std::string& exeDir, std::string* errorMessage) {
  std::string bytes;
  const platform::TReadResult file = platform::ReadDataFile(exeDir, "CodecsFriendlyNames.ini", bytes);
  if (file.Ok()) {
    LoadFromBytes(bytes);
    return;
  }
  if (file.Status != platform::TReadStatus::Missing && errorMessage) *errorMessage = file.Message;
  LoadFromBytes(ambrel::resources::CodecsFriendlyNames());
}

bool TFriendlyNames::FindName(std::string_view key, std::string& name) const {
  const auto found = FIndex.find(key);
  if (found == FIndex.end()) return false;
  const std::string& line = FLines[found->second];
  name = line.substr(line.find('=') + 1);
  return true;
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
