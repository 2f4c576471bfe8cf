#include "report/LogWriter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <fstream>

#include "base/TextUtil.h"
#include "base/Utf8Path.h"
#include "base/Verbatim.h"

namespace ambrel {

namespace {
constexpr std::string_view kCrLf = "\r\n";

// Appends bytes to out with &, <, > and " escaped for HTML.
void AppendHtmlEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
}

// Renders a raw text for HTML into out: literal text escaped, markup as given.
void RenderHtmlInto(std::string_view Text, std::string& out) {
  out.clear();
  verbatim::ForEachSegment(Text, [&](bool literal, std::string_view piece) {
    if (literal) {
      AppendHtmlEscaped(out, piece);
    } else {
      out.append(piece);
    }
  });
}

// Joins Parts into out (cleared first).
void Concat(std::string& out, std::initializer_list<std::string_view> Parts) {
  out.clear();
  for (std::string_view p : Parts) out.append(p);
}

// Most texts with wrappings have nothing to trim: the first and the last byte of their
// content are not blank.
bool WrappedNeedsTrim(std::string_view text) {
  // Program text at both ends: those bytes are the content's first and last.
  if (!text.empty() && text.front() != verbatim::kBegin && text.back() != verbatim::kEnd)
    return IsBlankUnit(text.front()) || IsBlankUnit(text.back());
  bool any = false;
  char firstByte = 0, lastByte = 0;
  verbatim::ForEachSegment(text, [&](bool, std::string_view piece) {
    if (!any) firstByte = piece.front();
    any = true;
    lastByte = piece.back();
  });
  return !any || IsBlankUnit(firstByte) || IsBlankUnit(lastByte);
}

// Value trimmed: a view of Value itself when that needs no copy, else of storage.
std::string_view TrimmedView(const std::string& Value, std::string& storage) {
  if (verbatim::IsPlain(Value)) return TrimBlank(Value);
  if (!WrappedNeedsTrim(Value)) return Value;
  storage = Trim(Value);
  return storage;
}

// Removes closing tags and the opening tags they match from a sequence of units. Units
// below 256 are bytes; a larger unit stands for a piece of literal text, which is never
// a letter, '<', '/' or '>', so no tag is ever found inside it.
template <class Units>
Units StripTagUnits(Units s) {
  using Unit = typename Units::value_type;
  const auto isLetter = [](Unit c) { return (c >= Unit('A') && c <= Unit('Z')) || (c >= Unit('a') && c <= Unit('z')); };
  const Units closer{Unit('<'), Unit('/')};
  for (;;) {
    const size_t q = s.find(closer);
    if (q == Units::npos) break;
    size_t i = q + 2;
    while (i < s.size() && isLetter(s[i])) ++i;
    if (i >= s.size() || s[i] != Unit('>')) break;
    Units opener(1, Unit('<'));
    opener.append(s, q + 2, i - q - 2);
    s.erase(q, i - q + 1);
    const size_t r = s.find(opener);
    if (r == Units::npos) continue;
    const size_t g = s.find(Unit('>'), r + 1);
    if (g != Units::npos) s.erase(r, g - r + 1);
  }
  return s;
}

// Appends the bytes of every piece of a raw text, markup and literal alike.
void AppendSegments(std::string_view Text, std::string& out) {
  verbatim::ForEachSegment(Text, [&](bool, std::string_view piece) { out.append(piece); });
}

// Strips tags from the markup of a raw text while keeping literal text byte for byte.
std::string RenderText(const std::string& Text) {
  if (verbatim::IsPlain(Text)) {
    return Text.find("</") == std::string::npos ? Text : StripTagUnits(Text);
  }
  // Markup pieces next to each other (an empty wrapping between them) are joined by the
  // full path below, where a tag may span them.
  bool hasClosingTag = false;
  bool previousMarkup = false;
  verbatim::ForEachSegment(Text, [&](bool literal, std::string_view piece) {
    hasClosingTag |= !literal && (previousMarkup || piece.find("</") != std::string_view::npos);
    previousMarkup = !literal;
  });
  std::string out;
  if (!hasClosingTag) {
    out.reserve(Text.size());
    AppendSegments(Text, out);
    return out;
  }
  const std::vector<verbatim::Segment> segments = verbatim::Split(Text);
  constexpr char32_t kLiteralUnit = 0x100;
  std::u32string units;
  for (size_t i = 0; i < segments.size(); ++i) {
    if (segments[i].literal) {
      units += static_cast<char32_t>(kLiteralUnit + i);
    } else {
      for (char c : segments[i].text) units += static_cast<char32_t>(static_cast<unsigned char>(c));
    }
  }
  for (char32_t u : StripTagUnits(units)) {
    if (u < kLiteralUnit) {
      out += static_cast<char>(u);
    } else {
      out += segments[u - kLiteralUnit].text;
    }
  }
  return out;
}
}  // namespace

// ---- TLogWriter -----------------------------------------------------------

// Both copy a whole buffer, which leaves its position at its end, as reading it would.
bool TLogWriter::SaveToFile(const std::string& FileName) {
  FStream.Seek(0, 2);
  std::ofstream file(Utf8Path(FileName), std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(FStream.Bytes().data(), static_cast<std::streamsize>(FStream.Size()));
  file.close();
  return !file.fail();
}

void TLogWriter::AppendWriter(TLogWriter& Other) {
  TByteStream& source = Other.GetStream();
  source.Seek(0, 2);
  if (&source == &FStream) {
    FStream.Write(std::string(source.Bytes()));  // appending a buffer to itself
  } else {
    FStream.Write(source.Bytes());
  }
}

void TLogWriter::ResetWriter() { FStream.Seek(0); }

// ---- THTMLWriter ----------------------------------------------------------

// Every operation is one raw line made of Parts: rendered, linked, ended with CR LF. The
// line is built in buffers the writer keeps, so writing a line allocates nothing once
// they have grown.
void THTMLWriter::WriteParts(std::initializer_list<std::string_view> Parts) {
  Concat(FRaw, Parts);
  const std::string* line = &FRaw;
  if (!verbatim::IsPlain(FRaw)) {
    RenderHtmlInto(FRaw, FRendered);
    line = &FRendered;
  }
  if (FindAddress(*line) != std::string::npos) {
    std::string linked = MakeLinks(*line);
    linked += kCrLf;
    FStream.Write(linked);
    return;
  }
  FStream.Write(*line);
  FStream.Write(kCrLf);
}

void THTMLWriter::WriteRaw(const std::string& Text) { WriteParts({Text}); }

void THTMLWriter::WriteTitle(const std::string& Title) { WriteParts({"<h2>", Title, "</h2>"}); }

void THTMLWriter::WriteSeparator() { WriteParts({"<br />"}); }

void THTMLWriter::WriteLine(const std::string& Text) { WriteParts({Text, "<br />"}); }

void THTMLWriter::WriteField(const std::string& Name, const std::string& Value) {
  const std::string_view v = TrimmedView(Value, FTrimmed);
  if (!v.empty()) WriteParts({"<b>", Name, "</b> : ", v, "<br />"});
}

void THTMLWriter::BeginList() { WriteParts({"<ul>"}); }

void THTMLWriter::WriteListItem(const std::string& Text) { WriteParts({"<li>", Text, "</li>"}); }

void THTMLWriter::WriteListField(const std::string& Name, const std::string& Value) {
  const std::string_view v = TrimmedView(Value, FTrimmed);
  if (!v.empty()) WriteParts({"<li><b>", Name, "</b> : ", v, "</li>"});
}

void THTMLWriter::EndList() { WriteParts({"</ul>"}); }

// ---- TTxtWriter -----------------------------------------------------------

// Every operation writes the text made of Parts with its tags stripped; text without
// any tag or wrapping goes to the buffer as it is.
void TTxtWriter::WriteParts(std::initializer_list<std::string_view> Parts) {
  Concat(FRaw, Parts);
  if (FRaw.find('<') == std::string::npos) {
    // No tag, before or after unwrapping: the pieces go to the buffer as they are.
    if (verbatim::IsPlain(FRaw)) {
      FStream.Write(FRaw);
    } else {
      verbatim::ForEachSegment(FRaw, [&](bool, std::string_view piece) { FStream.Write(piece); });
    }
  } else if (FRaw.find("</") != std::string::npos) {
    FStream.Write(RenderText(FRaw));
  } else if (verbatim::IsPlain(FRaw)) {
    FStream.Write(FRaw);
  } else {
    // Unwrapped, the text holds no closing tag, so there is nothing to strip.
    FRendered.clear();
    AppendSegments(FRaw, FRendered);
    FStream.Write(FRendered.find("</") == std::string::npos ? FRendered : RenderText(FRaw));
  }
}

void TTxtWriter::WriteRaw(const std::string& Text) { WriteParts({Text}); }

void TTxtWriter::WriteTitle(const std::string& Title) { WriteLine(Title); }

void TTxtWriter::WriteSeparator() { WriteParts({kCrLf}); }

void TTxtWriter::WriteLine(const std::string& Text) { WriteParts({Text, kCrLf}); }

void TTxtWriter::WriteField(const std::string& Name, const std::string& Value) {
  const std::string_view v = TrimmedView(Value, FTrimmed);
  if (!v.empty()) WriteParts({Name, " : ", v, kCrLf});
}

void TTxtWriter::BeginList() { ++FListLevel; }

std::string_view TTxtWriter::ListIndent() {
  const size_t indent = FListLevel > 0 ? 2 * static_cast<size_t>(FListLevel) : 0;
  if (FIndent.size() < indent) FIndent.assign(indent, ' ');
  return std::string_view(FIndent).substr(0, indent);
}

void TTxtWriter::WriteListItem(const std::string& Text) { WriteParts({ListIndent(), " - ", Text, kCrLf}); }

void TTxtWriter::WriteListField(const std::string& Name, const std::string& Value) {
  const std::string_view v = TrimmedView(Value, FTrimmed);
  if (!v.empty()) WriteParts({ListIndent(), " - ", Name, " : ", v, kCrLf});
}

void TTxtWriter::EndList() { --FListLevel; }

// ---- Writing calls as data ------------------------------------------------

const std::string TCallWriter::kNoText;

int WriterCallTexts(TWriterCall Call) {
  switch (Call) {
    case TWriterCall::Title:
    case TWriterCall::Line:
    case TWriterCall::Raw:
    case TWriterCall::ListItem:
      return 1;
    case TWriterCall::Field:
    case TWriterCall::ListField:
      return 2;
    case TWriterCall::Separator:
    case TWriterCall::BeginList:
    case TWriterCall::EndList:
      break;
  }
  return 0;
}

void ReplayCall(TLogWriter& W, TWriterCall Call, const std::string& A, const std::string& B) {
  switch (Call) {
    case TWriterCall::Title: W.WriteTitle(A); break;
    case TWriterCall::Separator: W.WriteSeparator(); break;
    case TWriterCall::Line: W.WriteLine(A); break;
    case TWriterCall::Raw: W.WriteRaw(A); break;
    case TWriterCall::Field: W.WriteField(A, B); break;
    case TWriterCall::BeginList: W.BeginList(); break;
    case TWriterCall::ListItem: W.WriteListItem(A); break;
    case TWriterCall::ListField: W.WriteListField(A, B); break;
    case TWriterCall::EndList: W.EndList(); break;
  }
}

// ---- TMultiWriter ---------------------------------------------------------

void TMultiWriter::Take(TWriterCall Call, const std::string& A, const std::string& B) {
  for (TLogWriter* w : FWriters) ReplayCall(*w, Call, A, B);
}
bool TMultiWriter::SaveToFile(const std::string& FileName) {
  bool saved = true;
  for (TLogWriter* w : FWriters) saved = w->SaveToFile(FileName) && saved;
  return saved;
}
void TMultiWriter::AppendWriter(TLogWriter& Other) {
  for (TLogWriter* w : FWriters) w->AppendWriter(Other);
}
void TMultiWriter::ResetWriter() {
  for (TLogWriter* w : FWriters) w->ResetWriter();
}
bool TMultiWriter::KeepsText() const {
  return std::any_of(FWriters.begin(), FWriters.end(), [](const TLogWriter* w) { return w->KeepsText(); });
}

// ---- Text helpers ---------------------------------------------------------

std::string Trim(std::string_view text) {
  if (verbatim::IsPlain(text)) return std::string(TrimBlank(text));
  if (!WrappedNeedsTrim(text)) return std::string(text);
  std::vector<verbatim::Segment> segments = verbatim::Split(text);
  while (!segments.empty()) {
    std::string& front = segments.front().text;
    size_t b = 0;
    while (b < front.size() && IsBlankUnit(front[b])) ++b;
    front.erase(0, b);
    if (!front.empty()) break;
    segments.erase(segments.begin());
  }
  while (!segments.empty()) {
    std::string& back = segments.back().text;
    size_t e = back.size();
    while (e > 0 && IsBlankUnit(back[e - 1])) --e;
    back.resize(e);
    if (!back.empty()) break;
    segments.pop_back();
  }
  return verbatim::Join(segments);
}

size_t FindAddress(std::string_view Text) {
  return std::min(Text.find("http://"), Text.find("https://"));
}

std::string MakeLinks(const std::string& Text) {
  const size_t p = FindAddress(Text);
  if (p == std::string::npos) return Text;
  if (p > 0 && (Text[p - 1] == '"' || Text[p - 1] == '=')) return Text;
  size_t e = Text.size();
  for (char stop : {' ', ')', '<'}) e = std::min(e, Text.find(stop, p + 1));
  const std::string url = Text.substr(p, e - p);
  return Text.substr(0, p) + "<a href=\"" + url + "\">" + url + "</a>" + Text.substr(e);
}

}  // namespace ambrel
