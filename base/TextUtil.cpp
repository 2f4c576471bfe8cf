#include "base/TextUtil.h"

namespace ambrel {

namespace {
const char kReplacement[] = "\xEF\xBF\xBD";

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
}  // namespace

std::string ValidUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  DecodeUtf8(
      bytes, [&](size_t begin, size_t length) { out.append(bytes.substr(begin, length)); },
      [&] { out += kReplacement; });
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  bool valid = true;
  DecodeUtf8(bytes, [](size_t, size_t) {}, [&] { valid = false; });
  return valid;
}

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiUpperChar(c);
  return out;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpperChar(a[i]) != AsciiUpperChar(b[i])) return false;
  }
  return true;
}

}  // namespace ambrel
