// The command line's file analysis: loads the tables beside the executable, analyses
// files and prints one of their outputs; optionally saves both reports into a folder.
#pragma once

#include <ostream>
#include <string>

#include "app/AnalysisContext.h"

namespace ambrel {

enum class TAnalysisOutput { Text, Html, Log, Json };

// What one file's analysis gives the command line: the chosen output's bytes, the lines
// meant for standard error, and whether it succeeded.
struct TFileAnalysis {
  std::string Output;
  std::string Errors;
  bool Succeeded = false;  // parsed up to the first Cluster and every report saved
};

// Analyses FileName with the tables of Context. SaveDir (optional) receives Report.html
// and Report.txt. Safe to call from several threads sharing one Context.
TFileAnalysis AnalyseFile(const std::string& FileName, TAnalysisOutput Output, const std::string* SaveDir,
                          const TAnalysisContext& Context);

// Returns the exit status: 0 when the file was parsed up to its first Cluster and every
// requested report was saved, 1 otherwise. Problems with the data files and failures to
// save are written to err (one line each, plain text); the chosen output always goes to
// out.
int RunAnalysis(const std::string& FileName, TAnalysisOutput Output, const std::string* SaveDir,
                const std::string& ExeDir, std::ostream& out, std::ostream& err);

}  // namespace ambrel
