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

std::u16string Utf8ToWide(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  DecodeUtf8(
      text, [&](size_t begin, size_t length) { AppendUtf16(out, Utf8CodePoint(text, begin, length)); },
      [&] { out += u'\uFFFD'; });
  return out;
}

}  // namespace ambrel::media
