// A report writer that records what a report section writes as a JSON tree, so that the
// sections the text and HTML reports show (system information, the filter lists) read as
// one JSON document: {"sections": [{"title": T, "items": [...]}]}, each item
// {"name": N, "value": V} for a field or {"text": T} for a line, with "items" of its own
// for the list that follows it. Texts are plain (markup removed, file texts unwrapped).
#pragma once

#include <string>
#include <vector>

#include "app/cli/JsonStream.h"
#include "report/LogWriter.h"

namespace ambrel {

class TJsonSectionWriter : public TLogWriter {
 public:
  TJsonSectionWriter();

  void WriteTitle(const std::string& Title) override;
  void WriteSeparator() override {}
  void WriteLine(const std::string& Text) override;
  void WriteRaw(const std::string& Text) override { WriteLine(Text); }
  void WriteField(const std::string& Name, const std::string& Value) override;
  void BeginList() override;
  void WriteListItem(const std::string& Text) override { WriteLine(Text); }
  void WriteListField(const std::string& Name, const std::string& Value) override { WriteField(Name, Value); }
  void EndList() override;

  // The document, one line.
  std::string Document() const;

 private:
  void Add(TJson Item);
  TJson& Items();  // the array written to now

  TJson FRoot;
  std::vector<std::vector<size_t>> FPath;  // per open list: indexes from the section's items
};

}  // namespace ambrel
