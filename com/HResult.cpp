// Result-code names and their usual texts, and the copying of a text out.
#include "com/HResult.h"

#include "base/Utf16.h"

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

uint32_t CopyErrorText(const std::u16string& text, char16_t* buffer, uint32_t size) {
  if (text.empty() || size == 0 || !buffer) return 0;
  uint32_t count = 0;
  size_t at = 0;
  size_t i = 0;
  while (i < text.size() && count + 1 < size) {
    const bool pair = SurrogatePairAt(text, i);
    buffer[at++] = text[i++];
    if (pair) buffer[at++] = text[i++];
    ++count;
  }
  buffer[at] = 0;
  return count;
}

}  // namespace ambrel::media
