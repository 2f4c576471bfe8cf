// English names of ISO 639 language codes and of BCP 47 tags, from the ISO 639-2 and
// ISO 639-3 lists embedded at build time.
#pragma once

#include <string>
#include <string_view>

namespace ambrel {

// The name of a language code or tag: its primary subtag (up to the first '-' or '_'),
// in any case, looked up among the two- and three-letter codes. Empty when unknown.
std::string IsoLanguageName(std::string_view Code);

}  // namespace ambrel
