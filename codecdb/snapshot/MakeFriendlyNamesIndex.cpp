// Build-time tool: indexes a friendly-names table with the program's own code and
// writes the saved form of that index, after checking that it loads back to the same
// index for the same text.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "codecdb/FriendlyNamesIndex.h"
#include "codecdb/snapshot/WriteMadeFile.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: " << argv[0] << " <table.ini> <output index>\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    std::cerr << argv[1] << ": cannot read\n";
    return 1;
  }
  ambrel::TFriendlyIndex index;
  index.Build(text);
  const std::string saved = index.Save(text);
  ambrel::TFriendlyIndex loaded;
  if (!loaded.Load(saved, text) || loaded.Save(text) != saved) {
    std::cerr << argv[1] << ": the saved index does not load back\n";
    return 1;
  }
  if (!ambrel::tools::WriteMadeFile(argv[2], saved)) return 1;
  return 0;
}
