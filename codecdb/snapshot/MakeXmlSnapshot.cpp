// Build-time tool: parses an XML file with the program's own reader and writes the
// snapshot the program rebuilds the same tree from (see xml/XmlSnapshot.h). Before
// writing, it rebuilds the tree from the snapshot and checks that the rebuilt tree
// writes back to the same text and snapshots to the same bytes; any difference fails
// the build instead of shipping a table that loads wrong.
#include <sstream>

#include "codecdb/snapshot/XmlToolMain.h"
#include "xml/XmlSnapshot.h"

namespace {

std::string WrittenForm(ambrel::TSimpleXml& document) {
  std::ostringstream text;
  document.SaveToStream(text);
  return std::move(text).str();
}

}  // namespace

int main(int argc, char** argv) {
  return ambrel::tools::RunXmlTool(
      argc, argv, "<input.xml> <output snapshot>", [](const char* input) -> std::optional<std::string> {
        ambrel::TSimpleXml parsed;
        parsed.LoadFromFile(input);
        std::string snapshot = ambrel::SaveXmlSnapshot(parsed);
        ambrel::TSimpleXml rebuilt;
        ambrel::LoadXmlSnapshot(rebuilt, snapshot);
        if (WrittenForm(rebuilt) != WrittenForm(parsed) || ambrel::SaveXmlSnapshot(rebuilt) != snapshot) {
          std::cerr << input << ": the tree rebuilt from the snapshot differs from the parsed one\n";
          return std::nullopt;
        }
        return snapshot;
      });
}
