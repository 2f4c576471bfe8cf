// GUID texts, name-based GUIDs, result-code names and their usual texts, wide text.
#include <array>
#include <cstdio>

#include "platform/BasicMediaFramework.h"
#include "platform/Sha1.h"

namespace ambrel::media {

namespace {

struct NamedCode {
  const char* name;
  HRESULT hr;
  const char16_t* text;  // nullptr: no text
};

// The codes the layer knows, with the texts the framework usually gives for them.
const NamedCode kCodes[] = {
    {"S_OK", S_OK, nullptr},
    {"S_FALSE", S_FALSE, u"Incorrect function.\r\n"},
    {"E_NOTIMPL", E_NOTIMPL, u"Not implemented\r\n"},
    {"E_NOINTERFACE", E_NOINTERFACE, u"No such interface supported\r\n"},
    {"E_POINTER", E_POINTER, nullptr},
    {"E_ABORT", E_ABORT, nullptr},
    {"E_FAIL", E_FAIL, u"Unspecified error\r\n"},
    {"E_UNEXPECTED", E_UNEXPECTED, u"Catastrophic failure\r\n"},
    {"E_ACCESSDENIED", E_ACCESSDENIED, u"Access is denied.\r\n"},
    {"E_OUTOFMEMORY", E_OUTOFMEMORY, u"Not enough storage is available to complete this operation.\r\n"},
    {"E_INVALIDARG", E_INVALIDARG, u"The parameter is incorrect.\r\n"},
    {"HRESULT_FILE_NOT_FOUND", HRESULT_FILE_NOT_FOUND, u"The system cannot find the file specified.\r\n"},
    {"HRESULT_MOD_NOT_FOUND", HRESULT_MOD_NOT_FOUND, u"The specified module could not be found.\r\n"},
    {"REGDB_E_CLASSNOTREG", REGDB_E_CLASSNOTREG, u"Class not registered\r\n"},
    {"CLASS_E_NOAGGREGATION", CLASS_E_NOAGGREGATION, nullptr},
    {"MK_E_SYNTAX", MK_E_SYNTAX, u"Invalid syntax\r\n"},
    {"MK_S_MONIKERALREADYREGISTERED", MK_S_MONIKERALREADYREGISTERED,
     u"Moniker is already registered in running object table\r\n"},
    {"CO_E_NOTINITIALIZED", CO_E_NOTINITIALIZED, nullptr},
    {"RPC_E_CHANGED_MODE", RPC_E_CHANGED_MODE, nullptr},
    {"VFW_E_ALREADY_CONNECTED", VFW_E_ALREADY_CONNECTED,
     u"The operation cannot be performed because the pins are already connected."},
    {"VFW_E_NO_TYPES", VFW_E_NO_TYPES, u"One of the specified pins supports no media types."},
    {"VFW_E_NO_ACCEPTABLE_TYPES", VFW_E_NO_ACCEPTABLE_TYPES, u"There is no common media type between these pins."},
    {"VFW_E_INVALID_DIRECTION", VFW_E_INVALID_DIRECTION, u"Two pins of the same direction cannot be connected together."},
    {"VFW_E_NOT_CONNECTED", VFW_E_NOT_CONNECTED,
     u"The operation cannot be performed because the pins are not connected."},
    {"VFW_E_NOT_FOUND", VFW_E_NOT_FOUND, u"An object or name was not found."},
    {"VFW_E_CANNOT_CONNECT", VFW_E_CANNOT_CONNECT,
     u"No combination of intermediate filters could be found to make the connection."},
    {"VFW_E_CANNOT_RENDER", VFW_E_CANNOT_RENDER, u"No combination of filters could be found to render the stream."},
    {"VFW_E_TYPE_NOT_ACCEPTED", VFW_E_TYPE_NOT_ACCEPTED, u"This pin cannot use the supplied media type."},
    {"VFW_E_DUPLICATE_NAME", VFW_E_DUPLICATE_NAME, nullptr},
    {"VFW_S_DUPLICATE_NAME", VFW_S_DUPLICATE_NAME,
     u"An attempt to add a filter with a duplicate name succeeded with a modified name."},
    {"VFW_E_INVALID_FILE_FORMAT", VFW_E_INVALID_FILE_FORMAT, u"The file format is invalid."},
    {"VFW_E_CIRCULAR_GRAPH", VFW_E_CIRCULAR_GRAPH, u"The filter graph is circular."},
    {"VFW_E_UNKNOWN_FILE_TYPE", VFW_E_UNKNOWN_FILE_TYPE, u"The media type of this file is not recognized."},
    {"VFW_E_CANNOT_LOAD_SOURCE_FILTER", VFW_E_CANNOT_LOAD_SOURCE_FILTER,
     u"The source filter for this file could not be loaded."},
    {"VFW_S_PARTIAL_RENDER", VFW_S_PARTIAL_RENDER, u"Some of the streams in this movie are in an unsupported format."},
    {"VFW_E_NOT_IN_GRAPH", VFW_E_NOT_IN_GRAPH,
     u"Cannot perform the requested function on an object that is not in the filter graph."},
    {"VFW_E_UNSUPPORTED_STREAM", VFW_E_UNSUPPORTED_STREAM, u"Cannot play back the file.  The format is not supported."},
};

int HexValue(char32_t c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  return -1;
}

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
    const int v = HexValue(static_cast<char32_t>(text[i]));
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

bool HResultFromName(std::string_view name, HRESULT& hr) {
  for (const NamedCode& c : kCodes) {
    if (name == c.name) {
      hr = c.hr;
      return true;
    }
  }
  return false;
}

std::u16string DefaultErrorText(uint32_t code) {
  for (const NamedCode& c : kCodes) {
    if (static_cast<uint32_t>(c.hr) == code && c.text) return c.text;
  }
  return {};
}

std::map<uint32_t, std::u16string> DefaultErrorTexts() {
  std::map<uint32_t, std::u16string> texts;
  for (const NamedCode& c : kCodes) {
    if (c.text) texts[static_cast<uint32_t>(c.hr)] = c.text;
  }
  return texts;
}

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

std::string WideToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string Utf8ToWide(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  while (i < text.size()) {
    const unsigned char b0 = byte(i);
    char32_t c = 0xFFFD;
    size_t len = 1;
    if (b0 < 0x80) {
      c = b0;
    } else {
      size_t need = 0;
      char32_t min = 0;
      if (b0 >= 0xC2 && b0 <= 0xDF) need = 1, c = b0 & 0x1F, min = 0x80;
      else if (b0 >= 0xE0 && b0 <= 0xEF) need = 2, c = b0 & 0x0F, min = 0x800;
      else if (b0 >= 0xF0 && b0 <= 0xF4) need = 3, c = b0 & 0x07, min = 0x10000;
      size_t k = 1;
      for (; k <= need && i + k < text.size() && (byte(i + k) & 0xC0) == 0x80; ++k) c = (c << 6) | (byte(i + k) & 0x3F);
      if (need == 0 || k <= need || c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        c = 0xFFFD;
        len = need == 0 ? 1 : k;
      } else {
        len = need + 1;
      }
    }
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += len;
  }
  return out;
}

}  // namespace ambrel::media
