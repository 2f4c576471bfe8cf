// Unicode simple case mapping of wide text (one code point to one code point), the same
// on every machine whatever the user's locale.
#pragma once

#include <string>
#include <string_view>

namespace ambrel::media {

std::u16string WideLower(std::u16string_view text);
std::u16string WideUpper(std::u16string_view text);

// Splits wide text into code points; a lone surrogate is one code point of its own value.
std::u32string WideCodePoints(std::u16string_view text);

}  // namespace ambrel::media
