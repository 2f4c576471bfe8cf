// The language-name table behind LanguageCodeToName.
#pragma once

#include <optional>
#include <string_view>

namespace ambrel {

struct TLanguageRow {
  std::string_view Name;   // English name as the ISO 639-2 index gives it (UTF-8)
  std::string_view Code;   // bibliographic code, three lower-case letters
  std::string_view Code2;  // terminologic code where it differs, else empty
};

// The first row that has Code as its bibliographic or terminologic code, if any (a code on
// several rows names the first of them).
std::optional<TLanguageRow> FindLanguage(std::string_view Code);

}  // namespace ambrel
