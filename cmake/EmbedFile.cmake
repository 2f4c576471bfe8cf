# Script mode: writes OUT, a C++ file defining std::string_view SYMBOL() over the bytes of IN.
file(READ "${IN}" hex HEX)
string(LENGTH "${hex}" hexlen)
math(EXPR size "${hexlen} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUT}" "// Generated from ${IN}; do not edit.\n#include <string_view>\n\nnamespace ambrel::resources {\nnamespace {\nconst unsigned char kData[] = {\n${bytes}0};\n}\nstd::string_view ${SYMBOL}() {\n  return {reinterpret_cast<const char*>(kData), ${size}};\n}\n}  // namespace ambrel::resources\n")
