// Data files embedded into the binaries at build time, byte for byte.
#pragma once

#include <string_view>

namespace ambrel::resources {
std::string_view CodecsDB();             // CodecsDB.xml: the codec database
std::string_view CodecsDBSnapshot();     // the same database's tree (xml/XmlSnapshot.h)
std::string_view CodecsDBFilterTable();  // its answers (codecdb/CodecFilterTable.h)
std::string_view CodecsFriendlyNames();  // CodecsFriendlyNames.ini: codec friendly names
std::string_view CodecsFriendlyNamesIndex();  // its index (codecdb/FriendlyNamesIndex.h)
std::string_view WelcomePage();          // welcome.html: the page shown before any analysis
std::string_view Logo();                 // logo.png: the welcome page's logo
}  // namespace ambrel::resources
