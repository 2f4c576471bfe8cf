// The wire form of Verbatim() text inside a writer argument, and its decoding.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ambrel::verbatim {

// A Verbatim() wrapping is kBegin + payload + kEnd, where the payload bytes kEscape,
// kBegin and kEnd are written as kEscape followed by the byte with its top bit cleared.
// None of the three bytes can stand in well-formed UTF-8, and all are above 32, so a
// wrapping survives trimming and never looks like markup.
inline constexpr char kBegin = '\xFE';
inline constexpr char kEnd = '\xFF';
inline constexpr char kEscape = '\xFD';

struct Segment {
  bool literal;      // true for text from outside the program
  std::string text;  // decoded bytes
};

// Splits a writer argument into program markup and literal text; adjacent segments of
// the same kind are merged. A wrapping left open runs to the end of the text.
std::vector<Segment> Split(std::string_view text);
// Joins segments back into a writer argument.
std::string Join(const std::vector<Segment>& segments);
// True when the text holds no wrapping at all (the common case: a quick scan).
bool IsPlain(std::string_view text);

}  // namespace ambrel::verbatim
