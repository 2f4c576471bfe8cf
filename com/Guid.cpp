// GUID texts and name-based GUIDs.
#include "com/Guid.h"

#include <array>
#include <cstdio>

#include "base/Hex.h"
#include "base/Sha1.h"

namespace ambrel::media {

namespace {

template <class Char>
HRESULT ParseGuid(std::basic_string_view<Char> text, GUID& guid) {
  guid = GUID_NULL;
  if (text.size() != 38 || text[0] != '{' || text[37] != '}') return E_INVALIDARG;
  std::array<uint8_t, 16> bytes{};
  size_t nibbles = 0;
  for (size_t i = 1; i < 37; ++i) {
    if (i == 9 || i == 14 || i == 19 || i == 24) {
      if (text[i] != '-') return E_INVALIDARG;
      continue;
    }
    const int v = HexDigitValue(static_cast<char32_t>(text[i]));
    if (v < 0) return E_INVALIDARG;
    bytes[nibbles / 2] = static_cast<uint8_t>(bytes[nibbles / 2] * 16 + v);
    ++nibbles;
  }
  guid.Data1 = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
  guid.Data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
  guid.Data3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
  for (int i = 0; i < 8; ++i) guid.Data4[i] = bytes[8 + i];
  return S_OK;
}

}  // namespace

std::string GuidToString(const GUID& g) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return buffer;
}

std::u16string GuidToWString(const GUID& guid) {
  const std::string text = GuidToString(guid);
  return std::u16string(text.begin(), text.end());
}

HRESULT CLSIDFromString(std::u16string_view text, GUID& guid) { return ParseGuid(text, guid); }
HRESULT CLSIDFromString(std::string_view text, GUID& guid) { return ParseGuid(text, guid); }

GUID NameBasedGuid(const GUID& ns, std::string_view name) {
  std::string data;
  for (int shift = 24; shift >= 0; shift -= 8) data += static_cast<char>((ns.Data1 >> shift) & 0xFF);
  data += static_cast<char>(ns.Data2 >> 8);
  data += static_cast<char>(ns.Data2 & 0xFF);
  data += static_cast<char>(ns.Data3 >> 8);
  data += static_cast<char>(ns.Data3 & 0xFF);
  for (uint8_t byte : ns.Data4) data += static_cast<char>(byte);
  data += name;
  const std::array<uint8_t, 20> hash = Sha1(data);
  GUID g;
  g.Data1 = (uint32_t{hash[0]} << 24) | (uint32_t{hash[1]} << 16) | (uint32_t{hash[2]} << 8) | hash[3];
  g.Data2 = static_cast<uint16_t>((hash[4] << 8) | hash[5]);
  g.Data3 = static_cast<uint16_t>((((hash[6] & 0x0F) | 0x50) << 8) | hash[7]);
  g.Data4[0] = static_cast<uint8_t>((hash[8] & 0x3F) | 0x80);
  for (int i = 1; i < 8; ++i) g.Data4[i] = hash[8 + i];
  return g;
}

}  // namespace ambrel::media
