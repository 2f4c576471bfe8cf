// Character references: decoding on load, escaping on save.
#include "xml/SimpleXml.h"

namespace ambrel {

namespace {

bool IsCollapsible(char c) { return c == ' ' || c == '\r' || c == '\n'; }

// Decodes the well-formed reference that starts with the '&' at text[at]: appends its
// result to out and returns the length of the reference, or returns 0 when the
// reference is malformed (the '&' is then ordinary text).
size_t DecodeReference(const std::string& text, size_t at, std::string& out) {
  size_t end = at + 1;
  if (end < text.size() && text[end] == '#') {
    ++end;
    const size_t digits = end;
    unsigned value = 0;
    while (end < text.size() && IsAsciiDigit(text[end])) {
      if (value <= 1000) value = value * 10 + static_cast<unsigned>(text[end] - '0');
      ++end;
    }
    if (end == digits || end >= text.size() || text[end] != ';') return 0;
    // Only these values name a byte; any other numeric reference is dropped.
    if (value <= 100 || value == 232 || value == 233) out += static_cast<char>(value);
    return end + 1 - at;
  }
  std::string name;
  while (end < text.size() && IsAsciiLetter(text[end])) name += AsciiLowerChar(text[end++]);
  if (name.empty() || end >= text.size() || text[end] != ';') return 0;
  if (name == "lt") {
    out += '<';
  } else if (name == "gt") {
    out += '>';
  } else if (name == "amp") {
    out += '&';
  } else {
    out += '&' + name + ';';
  }
  return end + 1 - at;
}

// Whether decoding can change Text: it holds a reference, or (when collapsing) two
// collapsible bytes in a row. Most text does not, and is then left as it is.
bool NeedsDecoding(const std::string& Text, bool CollapseBlanks) {
  bool lastCollapsible = false;
  for (char c : Text) {
    if (c == '&') return true;
    const bool collapsible = IsCollapsible(c);
    if (CollapseBlanks && collapsible && lastCollapsible) return true;
    lastCollapsible = collapsible;
  }
  return false;
}

}  // namespace

void DecodeEntities(std::string& Text, bool CollapseBlanks) {
  if (!NeedsDecoding(Text, CollapseBlanks)) return;
  std::string out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size();) {
    const char c = Text[i];
    if (c == '&') {
      if (const size_t length = DecodeReference(Text, i, out)) {
        i += length;
        continue;
      }
    } else if (CollapseBlanks && IsCollapsible(c) && !out.empty() && IsCollapsible(out.back())) {
      ++i;
      continue;
    }
    out += c;
    ++i;
  }
  Text = std::move(out);
}

std::string EncodeEntities(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (char c : Text) {
    switch (c) {
      case '"': out += "&#34;"; break;
      case '&': out += "&#38;"; break;
      case '\'': out += "&#39;"; break;
      case '<': out += "&#60;"; break;
      case '>': out += "&#62;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace ambrel
