#include "app/analysis/FriendlyNames.h"

#include <cstdio>

#include "io/DataFile.h"
#include "base/TextUtil.h"
#include "base/Verbatim.h"
#include "resources/Resources.h"

namespace ambrel {

void TFriendlyNames::LoadFromBytes(std::string_view bytes) {
  FOwnText.assign(bytes);
  Index();
}

void TFriendlyNames::Index(std::string_view outerText) {
  FOuterText = outerText;
  if (outerText.data()) FOwnText.clear();
  FIndex.Build(Text());
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
    // Read where it is embedded, with the index the build made for it; an index that
    // does not fit the text is not used.
    table->FOuterText = ambrel::resources::CodecsFriendlyNames();
    if (!table->FIndex.Load(ambrel::resources::CodecsFriendlyNamesIndex(), table->FOuterText)) {
      table->Index(table->FOuterText);
    }
    return table;
  }();
  return *names;
}

bool TFriendlyNames::FindName(std::string_view key, std::string& name) const {
  if (FIndex.SlotCount() == 0) return false;
  const std::uint32_t slot = FIndex.Slot(FIndex.SlotOf(Text(), key));
  if (slot == 0 || slot > FIndex.LineCount()) return false;
  const TFriendlyLine line = FIndex.Line(slot - 1);
  if (line.KeyLength == std::string_view::npos) return false;
  name = LineText(line).substr(line.KeyLength + 1);
  return true;
}

namespace {

// "name (key)", or the key alone for a missing or empty name.
std::string NameAndKey(const std::string& name, const std::string& key) {
  return name.empty() ? key : name + " (" + key + ")";
}

std::string FormatTagKey(uint16_t tag) {
  char key[8];
  std::snprintf(key, sizeof key, "%4.4X", static_cast<unsigned>(tag));
  return key;
}

}  // namespace

std::string TFriendlyNames::LookupFriendlyName(const std::string& key) const {
  std::string name;
  FindName(key, name);
  return NameAndKey(name, key);
}

std::string TFriendlyNames::LookupFriendlyName(const std::string& key, const std::string& shownKey) const {
  std::string name;
  FindName(key, name);
  return NameAndKey(Verbatim(name), shownKey);
}

std::string TFriendlyNames::LookupFormatTagName(uint16_t tag) const { return LookupFriendlyName(FormatTagKey(tag)); }

std::string TFriendlyNames::ReportFormatTagName(uint16_t tag) const {
  const std::string key = FormatTagKey(tag);
  return LookupFriendlyName(key, key);
}

std::vector<std::string> TFriendlyNames::Lines() const {
  std::vector<std::string> lines;
  lines.reserve(FIndex.LineCount());
  for (std::size_t i = 0; i < FIndex.LineCount(); ++i) lines.emplace_back(LineText(FIndex.Line(i)));
  return lines;
}

}  // namespace ambrel
