// Helpers for the codec database tests: queries as lists and scratch directories.
#pragma once

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"
#include "codecdb/XmlCodecDB.h"
#include "resources/Resources.h"

using namespace ambrel;

// (codec id attribute, filter guid) of every hit, in order.
inline std::vector<std::pair<std::string, std::string>> Hits(TXmlCodecDB& db, const std::string& codecID,
                                                             const std::string& fourcc = "") {
  std::vector<std::pair<std::string, std::string>> hits;
  TCodecFilterMatch match;
  for (db.FindFirstFilter(codecID, fourcc, match); match.Found; db.FindNextFilter(match)) {
    hits.emplace_back(match.Codec->Properties().PropertyValue("id", ""),
                      match.Filter->Properties().PropertyValue("guid", ""));
  }
  return hits;
}

// Every value under a list of the given name (case-blind), walked from the tree itself
// rather than from the code that makes the tables.
inline void CollectKeys(const TSimpleXmlElem& node, const std::string& listName, std::set<std::string>& keys) {
  for (int i = 0; i < node.Items().Count(); ++i) {
    const TSimpleXmlElem& child = *node.Items().Item(i);
    if (SameTextAscii(node.Name(), listName)) keys.insert(child.Value);
    CollectKeys(child, listName, keys);
  }
}

// Every (codec id, FourCC or wFormatTag) query the tree can answer, and some it cannot.
inline std::set<std::pair<std::string, std::string>> TreeQueries(const TXmlCodecDB& db) {
  const TSimpleXmlElem& root = const_cast<TXmlCodecDB&>(db).Document().Root();
  std::set<std::string> ids{"", "V_MS/VFW/FOURCC", "A_NONE"}, fourccs{"", "NONE"}, tags{"0x9999"};
  CollectKeys(root, "matroskaids", ids);
  CollectKeys(root, "fourccs", fourccs);
  CollectKeys(root, "wFormatTags", tags);
  std::set<std::pair<std::string, std::string>> queries;
  for (const std::string& id : ids) queries.emplace(id, "");
  for (const std::string& fourcc : fourccs) queries.emplace("V_MS/VFW/FOURCC", fourcc);
  for (const std::string& tag : tags) queries.emplace("A_MS/ACM", tag);
  return queries;
}

// A fresh directory under the system's temporary directory, removed at the end.
class TScratchDir : public TTempDir {
 public:
  explicit TScratchDir(const std::string& name) : TTempDir("ambrel_codecdb_" + name) {}
  std::string Path() const { return TTempDir::Path().string(); }
};
