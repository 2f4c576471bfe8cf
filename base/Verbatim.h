// Text from outside the program, wrapped by Verbatim() for the report writers: the
// wrapping, its wire form inside a writer argument, and its decoding.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ambrel {

// Text that comes from outside the program (values read from a file, file paths) is
// passed to the writers wrapped by Verbatim(). The HTML writer shows it HTML-escaped and
// the text writer never strips tags from it, while the program's own markup around it
// is rendered or stripped as usual. The wrapping never reaches a buffer. Verbatim("")
// is the empty string, so blank checks still see an empty value.
std::string Verbatim(std::string_view text);
// Appends Verbatim(text) to out.
void AppendVerbatim(std::string& out, std::string_view text);

}  // namespace ambrel

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

// Calls Visit(literal, bytes) for each non-empty piece of a writer argument, in order:
// program markup (literal false) and the payloads of wrappings (literal true). Adjacent
// pieces may be of the same kind.
template <class F>
void ForEachSegment(std::string_view text, F Visit);

// Splits a writer argument into program markup and literal text; adjacent segments of
// the same kind are merged.
std::vector<Segment> Split(std::string_view text);
// Joins segments back into a writer argument.
std::string Join(const std::vector<Segment>& segments);
// True when the text holds no wrapping at all (the common case: a quick scan).
bool IsPlain(std::string_view text);

// When a well-formed wrapping starts at `begin` (a kBegin byte), sets its payload and
// the position after its kEnd and returns true.
bool ParseWrapping(std::string_view text, size_t begin, std::string_view& payload, size_t& next);

template <class F>
void ForEachSegment(std::string_view text, F Visit) {
  size_t markupStart = 0;
  size_t i = text.find(kBegin);
  while (i != std::string_view::npos) {
    std::string_view payload;
    size_t next = 0;
    if (ParseWrapping(text, i, payload, next)) {
      if (i > markupStart) Visit(false, text.substr(markupStart, i - markupStart));
      if (!payload.empty()) Visit(true, payload);
      markupStart = next;
      i = text.find(kBegin, next);
    } else {
      i = text.find(kBegin, i + 1);
    }
  }
  if (markupStart < text.size()) Visit(false, text.substr(markupStart));
}

}  // namespace ambrel::verbatim
