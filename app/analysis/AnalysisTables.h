// The tables a file analysis consults, shared, read-only, by every analysis of a run:
// the data files beside the executable when they are there (read at once, so that a
// file that cannot be used is said before any output), else the embedded tables, which
// are only loaded when a section first asks for them.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "app/analysis/AnalysisContext.h"
#include "app/analysis/CodecDbChoice.h"
#include "app/analysis/FriendlyNames.h"
#include "codecdb/XmlCodecDB.h"

namespace ambrel {

class TAnalysisTables {
 public:
  // Reads the data files; one that is there but cannot be used is said on err (one line
  // each) and the embedded table is used instead. A codec database file asked for in
  // CodecDb that cannot be used is said too, and leaves Failed true. Each line starts
  // with Prefix.
  TAnalysisTables(const std::string& ExeDir, std::ostream& err, const TCodecDbChoice& CodecDb = {},
                  std::string_view Prefix = "ambrel-cli: ");
  TAnalysisTables(const TAnalysisTables&) = delete;
  TAnalysisTables& operator=(const TAnalysisTables&) = delete;

  TAnalysisContext Context() const;
  bool Failed() const { return FCodecDB.Failed; }

 private:
  std::unique_ptr<TFriendlyNames> FNames;  // null: the embedded table
  TChosenCodecDB FCodecDB;
};

}  // namespace ambrel
