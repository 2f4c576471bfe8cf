// UTF-8 decoding: well-formed sequences and ill-formed subparts, told apart as web
// browsers do.
#pragma once

#include <cstddef>
#include <string_view>

namespace ambrel {

// Decodes bytes as UTF-8 the way web browsers do. Calls onValid(begin, length) for every
// well-formed sequence and onInvalid() for every maximal ill-formed subpart.
template <typename Valid, typename Invalid>
void DecodeUtf8(std::string_view bytes, Valid onValid, Invalid onInvalid) {
  size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    int needed = 0;
    unsigned char lower = 0x80, upper = 0xBF;
    if (b < 0x80) {
      onValid(i, 1);
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      needed = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      needed = 2;
      if (b == 0xE0) lower = 0xA0;
      if (b == 0xED) upper = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      needed = 3;
      if (b == 0xF0) lower = 0x90;
      if (b == 0xF4) upper = 0x8F;
    } else {
      onInvalid();
      ++i;
      continue;
    }
    size_t j = i + 1;
    int seen = 0;
    while (seen < needed && j < bytes.size()) {
      const unsigned char c = static_cast<unsigned char>(bytes[j]);
      if (c < lower || c > upper) break;
      lower = 0x80;
      upper = 0xBF;
      ++seen;
      ++j;
    }
    if (seen == needed) {
      onValid(i, j - i);
    } else {
      onInvalid();
    }
    i = j;
  }
}

// The code point of a well-formed sequence of length bytes at begin (as DecodeUtf8
// reports it).
constexpr char32_t Utf8CodePoint(std::string_view bytes, size_t begin, size_t length) {
  const auto byte = [&](size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(bytes[k])); };
  char32_t c = length == 1 ? byte(begin) : byte(begin) & (0x7Fu >> length);
  for (size_t k = 1; k < length; ++k) c = (c << 6) | (byte(begin + k) & 0x3F);
  return c;
}

}  // namespace ambrel
