// UTF-16 to and from UTF-8.
#include "base/Utf16.h"

#include "base/Utf8Decode.h"

namespace ambrel::media {

std::string WideToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (SurrogatePairAt(text, i)) {
      c = CombineSurrogates(c, text[i + 1]);
      ++i;
    } else if (IsSurrogate(c)) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

namespace {

// Ill-formed sequences become U+FFFD, or with escape each of their bytes the lone
// surrogate U+DC00 + byte.
std::u16string Decode(std::string_view text, bool escape) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  while (i < text.size()) {
    const unsigned char b0 = byte(i);
    char32_t c = 0xFFFD;
    size_t len = 1;
    if (b0 < 0x80) {
      c = b0;
    } else {
      size_t need = 0;
      char32_t min = 0;
      if (b0 >= 0xC2 && b0 <= 0xDF) need = 1, c = b0 & 0x1F, min = 0x80;
      else if (b0 >= 0xE0 && b0 <= 0xEF) need = 2, c = b0 & 0x0F, min = 0x800;
      else if (b0 >= 0xF0 && b0 <= 0xF4) need = 3, c = b0 & 0x07, min = 0x10000;
      size_t k = 1;
      for (; k <= need && i + k < text.size() && (byte(i + k) & 0xC0) == 0x80; ++k) c = (c << 6) | (byte(i + k) & 0x3F);
      if (need == 0 || k <= need || c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        c = 0xFFFD;
        len = need == 0 ? 1 : k;
        if (escape) {
          for (size_t e = 0; e < len; ++e) out += static_cast<char16_t>(0xDC00 + byte(i + e));
          i += len;
          continue;
        }
      } else {
        len = need + 1;
      }
    }
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += len;
  }
  return out;
}

}  // namespace

std::u16string Utf8ToWide(std::string_view text) { return Decode(text, false); }

std::u16string PathToWide(std::string_view path) { return Decode(path, true); }

std::string PathBytes(std::u16string_view wide) {
  std::string out;
  size_t run = 0;  // start of the units not yet written
  for (size_t i = 0; i < wide.size(); ++i) {
    const char16_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
      ++i;  // a pair
    } else if (c >= 0xDC80 && c <= 0xDCFF) {
      out += WideToUtf8(wide.substr(run, i - run));
      out += static_cast<char>(c - 0xDC00);
      run = i + 1;
    }
  }
  return out + WideToUtf8(wide.substr(run));
}

}  // namespace ambrel::media
