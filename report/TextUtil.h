// Small text helpers shared by the report sections and the parser.
#pragma once

#include <string>
#include <string_view>

namespace ambrel {

// Returns bytes as well-formed UTF-8: every ill-formed sequence (per maximal subpart,
// as web browsers decode) becomes U+FFFD; well-formed text is returned unchanged.
std::string ValidUtf8(std::string_view bytes);

// True when bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// Upper-cases ASCII letters only.
std::string AsciiUpper(std::string_view text);

// Case-insensitive comparison of ASCII letters; other bytes compare exactly.
bool SameTextAscii(std::string_view a, std::string_view b);

}  // namespace ambrel
