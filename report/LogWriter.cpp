#include "report/LogWriter.h"

#include <algorithm>
#include <fstream>

#include "report/Verbatim.h"

namespace ambrel {

namespace {
const std::string kCrLf = "\r\n";

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }


// Renders a raw text for HTML: literal text escaped, markup as given.
std::string RenderHtml(const std::string& Text) {
  if (verbatim::IsPlain(Text)) return Text;
  std::string out;
  for (const auto& s : verbatim::Split(Text)) out += s.literal ? HtmlEscape(s.text) : s.text;
  return out;
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

// Strips tags from the markup of a raw text while keeping literal text byte for byte.
std::string RenderText(const std::string& Text) {
  if (verbatim::IsPlain(Text)) {
    return Text.find("</") == std::string::npos ? Text : StripTagUnits(Text);
  }
  const std::vector<verbatim::Segment> segments = verbatim::Split(Text);
  bool hasClosingTag = false;
  for (const auto& s : segments) hasClosingTag |= !s.literal && s.text.find("</") != std::string::npos;
  std::string out;
  if (!hasClosingTag) {
    for (const auto& s : segments) out += s.text;
    return out;
  }
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

// ---- TByteStream ----------------------------------------------------------

void TByteStream::Write(std::string_view bytes) {
  data_.resize(pos_);
  data_.append(bytes);
  pos_ = data_.size();
}

int64_t TByteStream::Seek(int64_t offset, int origin) {
  int64_t base = 0;
  if (origin == 1) base = Position();
  if (origin == 2) base = Size();
  int64_t target = base + offset;
  target = std::clamp<int64_t>(target, 0, Size());
  pos_ = static_cast<size_t>(target);
  return target;
}

std::string TByteStream::Read(size_t count) {
  const size_t n = std::min(count, data_.size() - pos_);
  std::string out = data_.substr(pos_, n);
  pos_ += n;
  return out;
}

// ---- TLogWriter -----------------------------------------------------------

// Both copy a whole buffer, which leaves its position at its end, as reading it would.
void TLogWriter::SaveToFile(const std::string& FileName) {
  FStream.Seek(0, 2);
  std::ofstream file(FileName, std::ios::binary | std::ios::trunc);
  if (!file) return;
  file.write(FStream.Bytes().data(), static_cast<std::streamsize>(FStream.Size()));
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

void THTMLWriter::WriteRaw(const std::string& Text) { FStream.Write(MakeLinks(RenderHtml(Text)) + kCrLf); }

void THTMLWriter::WriteTitle(const std::string& Title) { WriteRaw("<h2>" + Title + "</h2>"); }

void THTMLWriter::WriteSeparator() { WriteRaw("<br />"); }

void THTMLWriter::WriteLine(const std::string& Text) { WriteRaw(Text + "<br />"); }

void THTMLWriter::WriteField(const std::string& Name, const std::string& Value) {
  const std::string v = Trim(Value);
  if (!v.empty()) WriteLine("<b>" + Name + "</b> : " + v);
}

void THTMLWriter::BeginList() { WriteRaw("<ul>"); }

void THTMLWriter::WriteListItem(const std::string& Text) { WriteRaw("<li>" + Text + "</li>"); }

void THTMLWriter::WriteListField(const std::string& Name, const std::string& Value) {
  const std::string v = Trim(Value);
  if (!v.empty()) WriteListItem("<b>" + Name + "</b> : " + v);
}

void THTMLWriter::EndList() { WriteRaw("</ul>"); }

// ---- TTxtWriter -----------------------------------------------------------

void TTxtWriter::WriteRaw(const std::string& Text) { FStream.Write(RenderText(Text)); }

void TTxtWriter::WriteTitle(const std::string& Title) { WriteLine(Title); }

void TTxtWriter::WriteSeparator() { WriteLine(""); }

void TTxtWriter::WriteLine(const std::string& Text) { WriteRaw(Text + kCrLf); }

void TTxtWriter::WriteField(const std::string& Name, const std::string& Value) {
  const std::string v = Trim(Value);
  if (!v.empty()) WriteLine(Name + " : " + v);
}

void TTxtWriter::BeginList() { ++FListLevel; }

void TTxtWriter::WriteListItem(const std::string& Text) {
  const int32_t indent = FListLevel > 0 ? 2 * FListLevel : 0;
  WriteLine(std::string(static_cast<size_t>(indent), ' ') + " - " + Text);
}

void TTxtWriter::WriteListField(const std::string& Name, const std::string& Value) {
  const std::string v = Trim(Value);
  if (!v.empty()) WriteListItem(Name + " : " + v);
}

void TTxtWriter::EndList() { --FListLevel; }

// ---- TMultiWriter ---------------------------------------------------------

void TMultiWriter::WriteTitle(const std::string& Title) {
  for (TLogWriter* w : FWriters) w->WriteTitle(Title);
}
void TMultiWriter::WriteSeparator() {
  for (TLogWriter* w : FWriters) w->WriteSeparator();
}
void TMultiWriter::WriteLine(const std::string& Text) {
  for (TLogWriter* w : FWriters) w->WriteLine(Text);
}
void TMultiWriter::WriteRaw(const std::string& Text) {
  for (TLogWriter* w : FWriters) w->WriteRaw(Text);
}
void TMultiWriter::WriteField(const std::string& Name, const std::string& Value) {
  for (TLogWriter* w : FWriters) w->WriteField(Name, Value);
}
void TMultiWriter::BeginList() {
  for (TLogWriter* w : FWriters) w->BeginList();
}
void TMultiWriter::WriteListItem(const std::string& Text) {
  for (TLogWriter* w : FWriters) w->WriteListItem(Text);
}
void TMultiWriter::WriteListField(const std::string& Name, const std::string& Value) {
  for (TLogWriter* w : FWriters) w->WriteListField(Name, Value);
}
void TMultiWriter::EndList() {
  for (TLogWriter* w : FWriters) w->EndList();
}
void TMultiWriter::SaveToFile(const std::string& FileName) {
  for (TLogWriter* w : FWriters) w->SaveToFile(FileName);
}
void TMultiWriter::AppendWriter(TLogWriter& Other) {
  for (TLogWriter* w : FWriters) w->AppendWriter(Other);
}
void TMultiWriter::ResetWriter() {
  for (TLogWriter* w : FWriters) w->ResetWriter();
}

// ---- Text helpers ---------------------------------------------------------

std::string Trim(std::string_view text) {
  if (verbatim::IsPlain(text)) {
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    return std::string(text.substr(b, e - b));
  }
  std::vector<verbatim::Segment> segments = verbatim::Split(text);
  while (!segments.empty()) {
    std::string& front = segments.front().text;
    size_t b = 0;
    while (b < front.size() && IsBlank(front[b])) ++b;
    front.erase(0, b);
    if (!front.empty()) break;
    segments.erase(segments.begin());
  }
  while (!segments.empty()) {
    std::string& back = segments.back().text;
    size_t e = back.size();
    while (e > 0 && IsBlank(back[e - 1])) --e;
    back.resize(e);
    if (!back.empty()) break;
    segments.pop_back();
  }
  return verbatim::Join(segments);
}

std::string MakeLinks(const std::string& Text) {
  const size_t p = Text.find("http://");
  if (p == std::string::npos) return Text;
  if (p > 0 && (Text[p - 1] == '"' || Text[p - 1] == '=')) return Text;
  size_t e = Text.size();
  for (char stop : {' ', ')', '<'}) e = std::min(e, Text.find(stop, p + 1));
  const std::string url = Text.substr(p, e - p);
  return Text.substr(0, p) + "<a href=\"" + url + "\">" + url + "</a>" + Text.substr(e);
}

std::string StripTags(const std::string& Text) { return StripTagUnits(Text); }

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace ambrel
