// The report as rich text (RTF), for views that show rich text rather than HTML: titles
// bold and coloured, fields with bold names, lists indented, the program's colours kept.
// Text from outside the program (Verbatim) is always shown as text: braces, backslashes
// and control words in it are escaped, and characters beyond ASCII are written as
// Unicode escapes, so the document is plain ASCII.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "report/LogWriter.h"

namespace ambrel {

class TRtfWriter : public TLogWriter {
 public:
  void WriteTitle(const std::string& Title) override;
  void WriteSeparator() override;
  void WriteLine(const std::string& Text) override;
  void WriteRaw(const std::string& Text) override;
  void WriteField(const std::string& Name, const std::string& Value) override;
  void BeginList() override;
  void WriteListItem(const std::string& Text) override;
  void WriteListField(const std::string& Name, const std::string& Value) override;
  void EndList() override;

 private:
  // Writes one paragraph: its settings, then Parts rendered.
  void WriteParagraph(std::string_view Settings, std::initializer_list<std::string_view> Parts);
  std::string ListIndent() const;

  int FListLevel = 0;
};

// A whole RTF document around the bodies that TRtfWriter wrote: the font and colour
// tables, then each body in order.
std::string RtfDocument(std::initializer_list<std::string_view> Bodies);

// Appends Text to Out as RTF text: escaped, non-ASCII as \uN? escapes (ill-formed UTF-8
// as U+FFFD), line breaks as \line.
void AppendRtfText(std::string& Out, std::string_view Text);

}  // namespace ambrel
