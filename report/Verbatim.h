// The wire form of Verbatim() text inside a writer argument, and its decoding.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ambrel::verbatim {

// A Verbatim() wrapping is kBegin + the payload's length in decimal + ':' + the payload
// + kEnd. Neither marker byte can stand in well-formed UTF-8 and both are above 32, so
// a wrapping survives trimming and never looks like markup. A marker byte that is not
// part of a well-formed wrapping (program text in another encoding, say) is ordinary
// text.
inline constexpr char kBegin = '\xFE';
inline constexpr char kEnd = '\xFF';

struct Segment {
  bool literal;      // true for text from outside the program
  std::string text;  // the bytes
};

// Splits a writer argument into program markup and literal text; adjacent segments of
// the same kind are merged.
std::vector<Segment> Split(std::string_view text);
// Joins segments back into a writer argument.
std::string Join(const std::vector<Segment>& segments);
// True when the text holds no wrapping at all (the common case: a quick scan).
bool IsPlain(std::string_view text);

}  // namespace ambrel::verbatim
