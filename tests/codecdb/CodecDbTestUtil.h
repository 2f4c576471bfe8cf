// Helpers for the codec database tests: queries as lists and scratch directories.
#pragma once

#include <filesystem>
#include <fstream>
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

// A fresh directory under the system's temporary directory, removed at the end.
class TScratchDir : public TTempDir {
 public:
  explicit TScratchDir(const std::string& name) : TTempDir("ambrel_codecdb_" + name) {}
  std::string Path() const { return TTempDir::Path().string(); }
};
