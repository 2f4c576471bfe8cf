#include "report/Verbatim.h"

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
  std::string current;
  bool literal = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (!literal && c == kBegin) {
      Append(out, false, std::move(current));
      current.clear();
      literal = true;
    } else if (literal && c == kEnd) {
      Append(out, true, std::move(current));
      current.clear();
      literal = false;
    } else if (literal && c == kEscape && i + 1 < text.size()) {
      current += static_cast<char>(static_cast<unsigned char>(text[++i]) | 0x80);
    } else {
      current += c;
    }
  }
  Append(out, literal, std::move(current));
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
