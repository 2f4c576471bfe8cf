// Small text helpers shared by the report sections and the parser.
#pragma once

#include <string>
#include <string_view>

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

// Text without its leading and trailing bytes of code 32 or below (spaces, line breaks,
// other control bytes).
inline std::string_view TrimBlank(std::string_view text) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  size_t b = 0, e = text.size();
  while (b < e && blank(text[b])) ++b;
  while (e > b && blank(text[e - 1])) --e;
  return text.substr(b, e - b);
}

// Upper-cases ASCII letters only.
std::string AsciiUpper(std::string_view text);

// Case-insensitive comparison of ASCII letters; other bytes compare exactly.
bool SameTextAscii(std::string_view a, std::string_view b);

}  // namespace ambrel
