#include "base/TextUtil.h"

#include "base/Utf8Decode.h"

namespace ambrel {

namespace {
const char kReplacement[] = "\xEF\xBF\xBD";
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
