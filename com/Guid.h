// GUIDs: class and interface ids, their registry text and name-based GUIDs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "com/HResult.h"

namespace ambrel::media {

struct GUID {
  uint32_t Data1 = 0;
  uint16_t Data2 = 0;
  uint16_t Data3 = 0;
  uint8_t Data4[8] = {0, 0, 0, 0, 0, 0, 0, 0};

  friend bool operator==(const GUID& a, const GUID& b) = default;
  friend auto operator<=>(const GUID& a, const GUID& b) = default;
};
using CLSID = GUID;
using IID = GUID;

inline constexpr GUID GUID_NULL{};

// Registry form: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hexadecimal.
std::string GuidToString(const GUID& guid);
std::u16string GuidToWString(const GUID& guid);
// Parses exactly the registry form (38 characters, braces, letters in either case).
// S_OK and the GUID, or E_INVALIDARG (guid set to GUID_NULL) for anything else.
HRESULT CLSIDFromString(std::u16string_view text, GUID& guid);
HRESULT CLSIDFromString(std::string_view text, GUID& guid);
// RFC 4122 name-based UUID, version 5 (SHA-1) of name (bytes, normally UTF-8) in the
// namespace ns. Stable across runs and machines; distinct names give distinct GUIDs.
GUID NameBasedGuid(const GUID& ns, std::string_view name);
// The RFC 4122 URL namespace 6ba7b811-9dad-11d1-80b4-00c04fd430c8.
inline constexpr GUID kUrlNamespace{0x6ba7b811, 0x9dad, 0x11d1, {0x80, 0xb4, 0x00, 0xc0, 0x4f, 0xd4, 0x30, 0xc8}};

}  // namespace ambrel::media
