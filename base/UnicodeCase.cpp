#include "base/UnicodeCase.h"

#include <locale.h>
#include <wctype.h>

#include "base/Utf16.h"

namespace ambrel::media {

namespace {

#ifdef _WIN32
// The C runtime's own wide-character case tables (the basic multilingual plane).
char32_t MapCase(char32_t c, bool upper) {
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0xFFFF) return c;
  return static_cast<char32_t>(upper ? towupper(static_cast<wint_t>(c)) : towlower(static_cast<wint_t>(c)));
}
#else
// The C.UTF-8 locale carries the Unicode case tables independently of the user's
// settings; without it only ASCII letters are mapped.
locale_t UnicodeLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return locale;
}

char32_t MapCase(char32_t c, bool upper) {
  if (IsSurrogate(c)) return c;
  const locale_t locale = UnicodeLocale();
  if (locale) {
    return static_cast<char32_t>(upper ? towupper_l(static_cast<wint_t>(c), locale)
                                       : towlower_l(static_cast<wint_t>(c), locale));
  }
  if (upper && c >= 'a' && c <= 'z') return c - 32;
  if (!upper && c >= 'A' && c <= 'Z') return c + 32;
  return c;
}
#endif

std::u16string Map(std::u16string_view text, bool upper) {
  std::u16string out;
  out.reserve(text.size());
  for (char32_t c : WideCodePoints(text)) {
    AppendUtf16(out, MapCase(c, upper));
  }
  return out;
}

}  // namespace

std::u32string WideCodePoints(std::u16string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (SurrogatePairAt(text, i)) {
      out += CombineSurrogates(c, text[i + 1]);
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

std::u16string WideLower(std::u16string_view text) { return Map(text, false); }
std::u16string WideUpper(std::u16string_view text) { return Map(text, true); }

}  // namespace ambrel::media
