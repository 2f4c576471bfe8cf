// UTF-16 text as the framework interfaces carry it, to and from UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace ambrel::media {

// UTF-16 <-> UTF-8. A lone surrogate becomes U+FFFD; ill-formed UTF-8 becomes U+FFFD.
std::string WideToUtf8(std::u16string_view text);
std::u16string Utf8ToWide(std::string_view text);

// A file path as the framework interfaces carry it: valid UTF-8 as UTF-16, each byte of
// an ill-formed sequence as the lone surrogate U+DC00 + byte, so that PathBytes gives
// the path's own bytes back (a file named in another encoding is still found).
std::u16string PathToWide(std::string_view path);
std::string PathBytes(std::u16string_view wide);

}  // namespace ambrel::media
