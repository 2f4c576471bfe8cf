#include "report/Verbatim.h"

#include <algorithm>

#include "report/LogWriter.h"

namespace ambrel::verbatim {

namespace {
bool IsSpecial(char c) { return c == kBegin || c == kEnd || c == kEscape; }

void Append(std::vector<Segment>& out, bool literal, std::string text) {
  if (text.empty()) return;
  if (!out.empty() && out.back().literal == literal) {
    out.back().text += text;
  } else {
    out.push_back({literal, std::move(text)});
  }
}
}  // namespace

bool IsPlain(std::string_view text) {
  return text.find(kBegin) == std::string_view::npos;
}

std::vector<Segment> Split(std::string_view text) {
  std::vector<Segment> out;
  size_t i = 0;
  while (i < text.size()) {
    // Program markup up to the next wrapping.
    const size_t begin = std::min(text.find(kBegin, i), text.size());
    Append(out, false, std::string(text.substr(i, begin - i)));
    if (begin == text.size()) break;
    // Literal text up to the end of the wrapping (or of the text), escapes decoded.
    std::string literal;
    i = begin + 1;
    while (i < text.size() && text[i] != kEnd) {
      const size_t stop = std::min({text.find(kEnd, i), text.find(kEscape, i), text.size()});
      literal.append(text.substr(i, stop - i));
      i = stop;
      if (i < text.size() && text[i] == kEscape) {
        if (i + 1 < text.size()) {
          literal += static_cast<char>(static_cast<unsigned char>(text[i + 1]) | 0x80);
        } else {
          literal += kEscape;  // a wrapping cut off after its escape byte
        }
        i += 2;
      }
    }
    Append(out, true, std::move(literal));
    if (i < text.size()) ++i;  // the end of the wrapping
  }
  return out;
}

std::string Join(const std::vector<Segment>& segments) {
  std::string out;
  for (const Segment& s : segments) {
    if (s.literal) {
      out += Verbatim(s.text);
    } else {
      out += s.text;
    }
  }
  return out;
}

}  // namespace ambrel::verbatim

std::string Verbatim(std::string_view text) {
  using namespace ambrel::verbatim;
  if (text.empty()) return {};
  std::string out;
  out.reserve(text.size() + 2);
  out += kBegin;
  for (char c : text) {
    if (IsSpecial(c)) {
      out += kEscape;
      out += static_cast<char>(static_cast<unsigned char>(c) & 0x7F);
    } else {
      out += c;
    }
  }
  out += kEnd;
  return out;
}
