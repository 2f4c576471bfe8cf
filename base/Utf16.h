// UTF-16 text as the framework interfaces carry it, to and from UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace ambrel::media {

constexpr bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
constexpr bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// True when the units at i and i + 1 are a high and a low surrogate.
constexpr bool SurrogatePairAt(std::u16string_view text, size_t i) {
  return i + 1 < text.size() && IsHighSurrogate(text[i]) && IsLowSurrogate(text[i + 1]);
}

// The code point a surrogate pair stands for.
constexpr char32_t CombineSurrogates(char32_t high, char32_t low) { return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00); }

// Appends a code point as one unit, or as a surrogate pair above U+FFFF.
inline void AppendUtf16(std::u16string& out, char32_t c) {
  if (c >= 0x10000) {
    out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  } else {
    out += static_cast<char16_t>(c);
  }
}

// UTF-16 <-> UTF-8. A lone surrogate becomes U+FFFD; every ill-formed subpart of UTF-8
// (as ValidUtf8 finds them) becomes U+FFFD.
std::string WideToUtf8(std::u16string_view text);
std::u16string Utf8ToWide(std::string_view text);

// A file path as the framework interfaces carry it: valid UTF-8 as UTF-16, each byte of
// an ill-formed sequence as the lone surrogate U+DC00 + byte, so that PathBytes gives
// the path's own bytes back (a file named in another encoding is still found).
std::u16string PathToWide(std::string_view path);
std::string PathBytes(std::u16string_view wide);

}  // namespace ambrel::media
