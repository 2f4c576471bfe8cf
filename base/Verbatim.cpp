#include "base/Verbatim.h"

#include <charconv>

namespace ambrel::verbatim {

namespace {
constexpr size_t kMaxLengthDigits = 19;

void Append(std::vector<Segment>& out, bool literal, std::string_view text) {
  if (text.empty()) return;
  if (!out.empty() && out.back().literal == literal) {
    out.back().text.append(text);
  } else {
    out.push_back({literal, std::string(text)});
  }
}

}  // namespace

bool ParseWrapping(std::string_view text, size_t begin, std::string_view& payload, size_t& next) {
  size_t i = begin + 1;
  size_t length = 0;
  const size_t digitsStart = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - digitsStart < kMaxLengthDigits) {
    length = length * 10 + static_cast<size_t>(text[i] - '0');
    ++i;
  }
  if (i == digitsStart || i >= text.size() || text[i] != ':') return false;
  const size_t start = i + 1;
  if (length >= text.size() - start || text[start + length] != kEnd) return false;
  payload = text.substr(start, length);
  next = start + length + 1;
  return true;
}

bool IsPlain(std::string_view text) { return text.find(kBegin) == std::string_view::npos; }

std::vector<Segment> Split(std::string_view text) {
  std::vector<Segment> out;
  ForEachSegment(text, [&](bool literal, std::string_view piece) { Append(out, literal, piece); });
  return out;
}

std::string Join(const std::vector<Segment>& segments) {
  std::string out;
  for (const Segment& s : segments) out += s.literal ? Verbatim(s.text) : s.text;
  return out;
}

}  // namespace ambrel::verbatim

namespace ambrel {

void AppendVerbatim(std::string& out, std::string_view text) {
  using namespace ambrel::verbatim;
  if (text.empty()) return;
  char digits[24];
  char* digitsEnd = std::to_chars(digits, digits + sizeof digits, text.size()).ptr;
  out.reserve(out.size() + text.size() + static_cast<size_t>(digitsEnd - digits) + 2);
  out += kBegin;
  out.append(digits, static_cast<size_t>(digitsEnd - digits));
  out += ':';
  out.append(text);
  out += kEnd;
}

std::string Verbatim(std::string_view text) {
  std::string out;
  AppendVerbatim(out, text);  // reserves the exact size: short texts stay inline
  return out;
}

}  // namespace ambrel
