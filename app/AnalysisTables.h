// The tables a file analysis consults, loaded once from beside the executable (or the
// embedded copies) and shared, read-only, by every analysis of a run.
#pragma once

#include <ostream>
#include <string>

#include "app/AnalysisContext.h"
#include "app/FriendlyNames.h"
#include "codecdb/XmlCodecDB.h"

namespace ambrel {

class TAnalysisTables {
 public:
  // Loads both tables; a data file that is there but cannot be used is said on err (one
  // line each) and the embedded table is used instead.
  TAnalysisTables(const std::string& ExeDir, std::ostream& err);
  TAnalysisTables(const TAnalysisTables&) = delete;
  TAnalysisTables& operator=(const TAnalysisTables&) = delete;

  TAnalysisContext Context() const { return {FNames, FCodecDB}; }

 private:
  TFriendlyNames FNames;
  TXmlCodecDB FCodecDB;
};

}  // namespace ambrel
