// Build-time tool: parses a codec database with the program's own reader and writes the
// table of its answers (see codecdb/CodecFilterTable.h). Before writing, it reads the
// table back and checks that it gives the tree's answer to every query it holds and to
// some it does not; any difference fails the build instead of shipping a table that
// answers wrong.
#include <exception>
#include <iostream>

#include "codecdb/XmlCodecDB.h"
#include "tools/WriteMadeFile.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: " << argv[0] << " <codec database.xml> <output table>\n";
    return 2;
  }
  try {
    ambrel::TXmlCodecDB parsed;
    parsed.LoadFromFile(argv[1]);
    const std::string table = ambrel::TCodecFilterTable::Make(parsed);
    ambrel::TCodecFilterTable loaded;
    loaded.Load(table);
    std::vector<ambrel::TCodecProposal> expected, found;
    for (const auto& [codecID, fourcc] : ambrel::TCodecFilterTable::Queries(parsed)) {
      parsed.FindProposals(codecID, fourcc, expected);
      found.clear();
      loaded.Find(codecID, fourcc, found);
      if (found != expected) {
        std::cerr << argv[1] << ": the table answers " << codecID << " " << fourcc << " unlike the tree\n";
        return 1;
      }
    }
    if (loaded.RootIsCodecDB() != parsed.RootIsCodecDB()) {
      std::cerr << argv[1] << ": the table tells the root unlike the tree\n";
      return 1;
    }
    if (!ambrel::tools::WriteMadeFile(argv[2], table)) return 1;
  } catch (const std::exception& error) {
    std::cerr << argv[1] << ": " << ambrel::XmlErrorMessage(error) << "\n";
    return 1;
  }
  return 0;
}
