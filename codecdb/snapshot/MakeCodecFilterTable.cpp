// Build-time tool: parses a codec database with the program's own reader and writes the
// table of its answers (see codecdb/CodecFilterTable.h). Before writing, it reads the
// table back and checks that it gives the tree's answer to every query it holds and to
// some it does not; any difference fails the build instead of shipping a table that
// answers wrong.
#include "codecdb/XmlCodecDB.h"
#include "codecdb/snapshot/XmlToolMain.h"

int main(int argc, char** argv) {
  return ambrel::tools::RunXmlTool(
      argc, argv, "<codec database.xml> <output table>", [](const char* input) -> std::optional<std::string> {
        ambrel::TXmlCodecDB parsed;
        parsed.LoadFromFile(input);
        std::string table = ambrel::TCodecFilterTable::Make(parsed);
        ambrel::TCodecFilterTable loaded;
        loaded.Load(table);
        std::vector<ambrel::TCodecProposal> expected, found;
        for (const auto& [codecID, fourcc] : ambrel::TCodecFilterTable::Queries(parsed)) {
          parsed.FindProposals(codecID, fourcc, expected);
          found.clear();
          loaded.Find(codecID, fourcc, found);
          if (found != expected) {
            std::cerr << input << ": the table answers " << codecID << " " << fourcc << " unlike the tree\n";
            return std::nullopt;
          }
        }
        if (loaded.RootIsCodecDB() != parsed.RootIsCodecDB()) {
          std::cerr << input << ": the table tells the root unlike the tree\n";
          return std::nullopt;
        }
        return table;
      });
}
