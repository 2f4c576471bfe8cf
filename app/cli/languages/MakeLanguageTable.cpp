// Build-time tool: writes the language-name table that ambrel-cli embeds, from the ISO 639-2
// and ISO 639-3 lists of Debian's iso-codes data. Usage: MakeLanguageTable ISO_639_2.json
// ISO_639_3.json OUT. Each line of OUT is "code<TAB>name", sorted by code, one line per
// two- or three-letter code (terminology, bibliographic and individual codes alike). A code
// in both lists takes the ISO 639-3 name, which names one language where ISO 639-2 may
// list several.
#include <fstream>
#include <iostream>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

namespace {

nlohmann::json Load(const char* Path, const char* Key) {
  std::ifstream in(Path);
  if (!in) throw std::runtime_error(std::string("cannot read ") + Path);
  return nlohmann::json::parse(in).at(Key);
}

void Add(std::map<std::string, std::string>& Names, const nlohmann::json& Row, bool Replace) {
  const std::string name = Row.value("name", "");
  if (name.empty()) return;
  for (const char* key : {"alpha_2", "alpha_3", "bibliographic"}) {
    if (!Row.contains(key)) continue;
    const std::string code = Row.at(key).get<std::string>();
    if (Replace || !Names.contains(code)) Names[code] = name;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: MakeLanguageTable ISO_639_2.json ISO_639_3.json OUT\n";
    return 2;
  }
  try {
    std::map<std::string, std::string> names;
    for (const auto& row : Load(argv[1], "639-2")) Add(names, row, false);
    for (const auto& row : Load(argv[2], "639-3")) Add(names, row, true);
    std::ofstream out(argv[3], std::ios::binary);
    for (const auto& [code, name] : names) out << code << '\t' << name << '\n';
    if (!out) throw std::runtime_error(std::string("cannot write ") + argv[3]);
  } catch (const std::exception& e) {
    std::cerr << "MakeLanguageTable: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
