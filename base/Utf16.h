// UTF-16 text as the framework interfaces carry it, to and from UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace ambrel::media {

// UTF-16 <-> UTF-8. A lone surrogate becomes U+FFFD; ill-formed UTF-8 becomes U+FFFD.
std::string WideToUtf8(std::u16string_view text);
std::u16string Utf8ToWide(std::string_view text);

}  // namespace ambrel::media
