#include "app/FriendlyNames.h"

#include <cstdio>
#include <cstring>

#include "platform/DataFile.h"
#include "report/TextUtil.h"
#include "resources/Resources.h"

namespace ambrel {

namespace {

// FNV-1a over the upper-cased bytes, so keys that differ only in ASCII case meet.
std::size_t HashKey(std::string_view key) {
  std::size_t h = 14695981039346656037ull;
  for (char c : key) {
    h ^= static_cast<unsigned char>(AsciiUpperChar(c));
    h *= 1099511628211ull;
  }
  return h;
}

// Where the line that starts at start ends (its length), and where the next one starts.
std::size_t LineEnd(std::string_view text, std::size_t start, std::size_t& next) {
  const char* base = text.data() + start;
  const std::size_t rest = text.size() - start;
  const void* lf = std::memchr(base, '\n', rest);
  const std::size_t lfAt = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - base) : rest;
  const void* cr = std::memchr(base, '\r', lfAt);
  if (cr) {
    const std::size_t crAt = static_cast<std::size_t>(static_cast<const char*>(cr) - base);
    next = start + crAt + (crAt + 1 == lfAt ? 2 : 1);
    return crAt;
  }
  next = start + lfAt + 1;
  return lfAt;
}

}  // namespace

void TFriendlyNames::LoadFromBytes(std::string_view bytes) {
  FOwnText.assign(bytes);
  Index();
}

void TFriendlyNames::Index(std::string_view outerText) {
  FOuterText = outerText;
  if (outerText.data()) FOwnText.clear();
  const std::string_view text = Text();
  FLines.clear();
  FLines.reserve(text.size() / 24);  // about the embedded table's mean line length
  std::size_t keyed = 0;
  for (std::size_t start = 0, next = 0; start < text.size(); start = next) {
    TLine line;
    line.Start = start;
    line.Length = LineEnd(text, start, next);
    if (const void* eq = std::memchr(text.data() + start, '=', line.Length)) {
      line.KeyLength = static_cast<std::size_t>(static_cast<const char*>(eq) - (text.data() + start));
      ++keyed;
    }
    FLines.push_back(line);
  }
  std::size_t size = 16;
  while (size < 2 * keyed) size *= 2;
  FSlots.assign(size, 0);
  for (std::size_t i = 0; i < FLines.size(); ++i) {
    if (FLines[i].KeyLength == std::string_view::npos) continue;
    const std::string_view key = LineText(FLines[i]).substr(0, FLines[i].KeyLength);
    std::uint32_t& slot = FSlots[SlotOf(key, HashKey(key))];
    if (slot == 0) slot = static_cast<std::uint32_t>(i + 1);  // the first row wins
  }
}

std::size_t TFriendlyNames::SlotOf(std::string_view key, std::size_t hash) const {
  const std::size_t mask = FSlots.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const std::uint32_t slot = FSlots[at];
    if (slot == 0) return at;
    const TLine& line = FLines[slot - 1];
    if (SameTextAscii(LineText(line).substr(0, line.KeyLength), key)) return at;
  }
}

bool TFriendlyNames::LoadDataFile(const std::string& exeDir, std::string* errorMessage) {
  std::string bytes;
  const platform::TReadResult file = platform::ReadDataFile(exeDir, "CodecsFriendlyNames.ini", bytes);
  if (file.Ok()) {
    FOwnText = std::move(bytes);
    Index();
    return true;
  }
  if (file.Status != platform::TReadStatus::Missing && errorMessage) *errorMessage = file.Message;
  return false;
}

void TFriendlyNames::Load(const std::string& exeDir, std::string* errorMessage) {
  if (!LoadDataFile(exeDir, errorMessage)) LoadFromBytes(ambrel::resources::CodecsFriendlyNames());
}

const TFriendlyNames& TFriendlyNames::Embedded() {
  // Never freed: the table lives as long as the process, and leaving it costs nothing.
  static const TFriendlyNames* const names = [] {
    auto* table = new TFriendlyNames;
    table->Index(ambrel::resources::CodecsFriendlyNames());  // read where it is embedded
    return table;
  }();
  return *names;
}

bool TFriendlyNames::FindName(std::string_view key, std::string& name) const {
  if (FSlots.empty()) return false;
  const std::uint32_t slot = FSlots[SlotOf(key, HashKey(key))];
  if (slot == 0) return false;
  const TLine& line = FLines[slot - 1];
  name = LineText(line).substr(line.KeyLength + 1);
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

std::vector<std::string> TFriendlyNames::Lines() const {
  std::vector<std::string> lines;
  lines.reserve(FLines.size());
  for (const TLine& line : FLines) lines.emplace_back(LineText(line));
  return lines;
}

}  // namespace ambrel
