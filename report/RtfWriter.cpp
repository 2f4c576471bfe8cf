#include "report/RtfWriter.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>

#include "base/Verbatim.h"

namespace ambrel {

namespace {

constexpr std::string_view kCrLf = "\r\n";
// Every paragraph starts from the document's defaults: 10 points, no formatting left over
// from the previous one.
constexpr std::string_view kParagraph = "\\pard\\plain\\fs20";
constexpr std::string_view kTitle = "\\sb120\\b\\fs26\\cf1";

// The colours the report uses, as the colour table lists them (index 1 onwards). Any
// other colour shows as the text's own.
constexpr std::array<uint32_t, 5> kColours = {0x0067AB, 0xCC00AA, 0xEA7500, 0x008800, 0xDD0000};

int ColourIndex(std::string_view Tag) {
  const size_t hash = Tag.find('#');
  if (hash == std::string_view::npos || hash + 7 > Tag.size()) return 0;
  uint32_t value = 0;
  for (char c : Tag.substr(hash + 1, 6)) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return 0;
    value = value * 16 + static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                                                                                            : (std::tolower(c) - 'a' + 10));
  }
  for (size_t i = 0; i < kColours.size(); ++i) {
    if (kColours[i] == value) return static_cast<int>(i) + 1;
  }
  return 0;
}

std::string LowerName(std::string_view Tag) {
  std::string name;
  for (char c : Tag) {
    if (!std::isalpha(static_cast<unsigned char>(c)) && !(c == '/' && name.empty())) break;
    name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return name;
}

// The formatting a tag of the program's markup stands for; links are found by the view
// itself, and other tags have no place in rich text.
std::string TagFormatting(std::string_view Tag) {
  const std::string name = LowerName(Tag);
  if (name == "b" || name == "strong" || name == "h2") return "\\b ";
  if (name == "/b" || name == "/strong" || name == "/h2") return "\\b0 ";
  if (name == "i" || name == "em") return "\\i ";
  if (name == "/i" || name == "/em") return "\\i0 ";
  if (name == "u") return "\\ul ";
  if (name == "/u") return "\\ulnone ";
  if (name == "font") return "\\cf" + std::to_string(ColourIndex(Tag)) + " ";
  if (name == "/font") return "\\cf0 ";
  if (name == "br") return "\\line ";
  return {};
}

// The program's own text: tags become formatting, the rest is text.
void AppendMarkup(std::string& Out, std::string_view Text) {
  size_t i = 0;
  while (i < Text.size()) {
    const size_t open = Text.find('<', i);
    const bool isTag = open != std::string_view::npos && open + 1 < Text.size() &&
                       (std::isalpha(static_cast<unsigned char>(Text[open + 1])) || Text[open + 1] == '/');
    const size_t close = isTag ? Text.find('>', open) : std::string_view::npos;
    if (close == std::string_view::npos) {
      AppendRtfText(Out, Text.substr(i));
      return;
    }
    AppendRtfText(Out, Text.substr(i, open - i));
    Out += TagFormatting(Text.substr(open + 1, close - open - 1));
    i = close + 1;
  }
}

void AppendUnicode(std::string& Out, uint32_t CodePoint) {
  const auto unit = [&Out](uint32_t u) {
    // RTF takes a signed 16-bit number; '?' stands for readers without Unicode.
    Out += "\\u" + std::to_string(static_cast<int16_t>(static_cast<uint16_t>(u))) + "?";
  };
  if (CodePoint >= 0x10000) {
    CodePoint -= 0x10000;
    unit(0xD800 + (CodePoint >> 10));
    unit(0xDC00 + (CodePoint & 0x3FF));
  } else {
    unit(CodePoint);
  }
}

// The length of the well-formed UTF-8 sequence at the start of Text and its code point;
// 0 when it is not one.
size_t DecodeUtf8(std::string_view Text, uint32_t& CodePoint) {
  const auto byte = [&Text](size_t i) { return static_cast<unsigned char>(Text[i]); };
  const unsigned char lead = byte(0);
  size_t length = 0;
  uint32_t min = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, CodePoint = lead & 0x1F, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, CodePoint = lead & 0x0F, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, CodePoint = lead & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (Text.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    CodePoint = (CodePoint << 6) | (byte(i) & 0x3F);
  }
  if (CodePoint < min || CodePoint > 0x10FFFF || (CodePoint >= 0xD800 && CodePoint <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

void AppendRtfText(std::string& Out, std::string_view Text) {
  for (size_t i = 0; i < Text.size();) {
    const char c = Text[i];
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x80) {
      uint32_t codePoint = 0;
      const size_t length = DecodeUtf8(Text.substr(i), codePoint);
      AppendUnicode(Out, length ? codePoint : 0xFFFD);
      i += length ? length : 1;
      continue;
    }
    ++i;
    if (c == '\\' || c == '{' || c == '}') {
      Out += '\\';
      Out += c;
    } else if (c == '\n') {
      Out += "\\line ";
    } else if (c == '\t') {
      Out += "\\tab ";
    } else if (u < 0x20) {
      // CR ends a line with the LF after it; other control bytes have nothing to show.
    } else {
      Out += c;
    }
  }
}

void TRtfWriter::WriteParagraph(std::string_view Settings, std::initializer_list<std::string_view> Parts) {
  std::string line(kParagraph);
  line += Settings;
  line += ' ';
  for (std::string_view part : Parts) {
    verbatim::ForEachSegment(part, [&line](bool literal, std::string_view piece) {
      if (literal) {
        AppendRtfText(line, piece);
      } else {
        AppendMarkup(line, piece);
      }
    });
  }
  line += "\\par";
  line += kCrLf;
  FStream.Write(line);
}

std::string TRtfWriter::ListIndent() const {
  const int level = FListLevel > 0 ? FListLevel : 0;
  return "\\li" + std::to_string(360 * level);
}

void TRtfWriter::WriteTitle(const std::string& Title) { WriteParagraph(kTitle, {Title}); }

void TRtfWriter::WriteSeparator() { WriteParagraph({}, {}); }

void TRtfWriter::WriteLine(const std::string& Text) { WriteParagraph({}, {Text}); }

void TRtfWriter::WriteRaw(const std::string& Text) { WriteParagraph({}, {Text}); }

void TRtfWriter::WriteField(const std::string& Name, const std::string& Value) {
  const std::string v = Trim(Value);
  if (!v.empty()) WriteParagraph({}, {"<b>", Name, "</b> : ", v});
}

void TRtfWriter::BeginList() { ++FListLevel; }

void TRtfWriter::WriteListItem(const std::string& Text) {
  WriteParagraph(ListIndent(), {"\xE2\x80\xA2 ", Text});
}

void TRtfWriter::WriteListField(const std::string& Name, const std::string& Value) {
  const std::string v = Trim(Value);
  if (!v.empty()) WriteParagraph(ListIndent(), {"\xE2\x80\xA2 <b>", Name, "</b> : ", v});
}

void TRtfWriter::EndList() { --FListLevel; }

std::string RtfDocument(std::initializer_list<std::string_view> Bodies) {
  std::string doc = "{\\rtf1\\ansi\\deff0\\uc1{\\fonttbl{\\f0\\fswiss Tahoma;}}{\\colortbl ;";
  for (uint32_t colour : kColours) {
    char entry[48];
    std::snprintf(entry, sizeof entry, "\\red%u\\green%u\\blue%u;", colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF);
    doc += entry;
  }
  doc += "}\r\n";
  for (std::string_view body : Bodies) doc += body;
  doc += "}";
  return doc;
}

}  // namespace ambrel
