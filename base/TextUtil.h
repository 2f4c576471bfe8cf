// Small text helpers shared by the report sections and the parser.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>

namespace ambrel {

// Returns bytes as well-formed UTF-8: every ill-formed sequence (per maximal subpart,
// as web browsers decode) becomes U+FFFD; well-formed text is returned unchanged.
std::string ValidUtf8(std::string_view bytes);

// True when bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

constexpr bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
constexpr bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// Upper-cases one ASCII letter; any other byte is returned as it is.
constexpr char AsciiUpperChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
// Lower-cases one ASCII letter; any other byte is returned as it is.
constexpr char AsciiLowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// True for a byte or code unit of code 32 or below: a space, a line break or another
// control character.
template <class Unit>
constexpr bool IsBlankUnit(Unit c) {
  return static_cast<std::make_unsigned_t<Unit>>(c) <= 32;
}

namespace detail {
template <class Unit>
constexpr std::basic_string_view<Unit> TrimBlankUnits(std::basic_string_view<Unit> text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlankUnit(text[b])) ++b;
  while (e > b && IsBlankUnit(text[e - 1])) --e;
  return text.substr(b, e - b);
}
}  // namespace detail

// Text without its leading and trailing blank units (IsBlankUnit).
inline std::string_view TrimBlank(std::string_view text) { return detail::TrimBlankUnits(text); }
inline std::u16string_view TrimBlank(std::u16string_view text) { return detail::TrimBlankUnits(text); }

// "yes" or "no".
constexpr const char* YesNo(bool Flag) { return Flag ? "yes" : "no"; }

// Upper-cases ASCII letters only.
std::string AsciiUpper(std::string_view text);

// Case-insensitive comparison of ASCII letters; other bytes compare exactly.
bool SameTextAscii(std::string_view a, std::string_view b);

}  // namespace ambrel
