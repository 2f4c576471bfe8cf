// Build-time tool: parses an XML file with the program's own reader and writes the
// snapshot the program rebuilds the same tree from (see xml/XmlSnapshot.h). Before
// writing, it rebuilds the tree from the snapshot and checks that the rebuilt tree
// writes back to the same text and snapshots to the same bytes; any difference fails
// the build instead of shipping a table that loads wrong.
#include <exception>
#include <iostream>
#include <sstream>

#include "xml/XmlSnapshot.h"
#include "tools/WriteMadeFile.h"

namespace {

std::string WrittenForm(ambrel::TSimpleXml& document) {
  std::ostringstream text;
  document.SaveToStream(text);
  return std::move(text).str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: " << argv[0] << " <input.xml> <output snapshot>\n";
    return 2;
  }
  try {
    ambrel::TSimpleXml parsed;
    parsed.LoadFromFile(argv[1]);
    const std::string snapshot = ambrel::SaveXmlSnapshot(parsed);
    ambrel::TSimpleXml rebuilt;
    ambrel::LoadXmlSnapshot(rebuilt, snapshot);
    if (WrittenForm(rebuilt) != WrittenForm(parsed) || ambrel::SaveXmlSnapshot(rebuilt) != snapshot) {
      std::cerr << argv[1] << ": the tree rebuilt from the snapshot differs from the parsed one\n";
      return 1;
    }
    if (!ambrel::tools::WriteMadeFile(argv[2], snapshot)) return 1;
  } catch (const std::exception& error) {
    std::cerr << argv[1] << ": " << ambrel::XmlErrorMessage(error) << "\n";
    return 1;
  }
  return 0;
}
