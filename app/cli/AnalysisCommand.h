// The command line's file analysis: analyses one file with the loaded tables (and, given
// a media framework and asked to render, runs the two rendering sections after the file
// section) into one of its outputs; optionally saves both reports into a folder.
#pragma once

#include <ostream>
#include <string>

#include "app/analysis/AnalysisContext.h"
#include "app/analysis/FileVerdict.h"

namespace ambrel {

enum class TAnalysisOutput { Text, Html, Log, Json, Summary };

// What one file's analysis gives the command line: the chosen output's bytes, the lines
// meant for standard error, and whether it succeeded.
struct TFileAnalysis {
  std::string Output;
  std::string Errors;
  bool Succeeded = false;  // parsed up to the first Cluster and every report saved
  // Summary: the file's verdict, made from the analysis (Output stays empty); without the
  // rendering its status is "parses" or "damaged".
  TFileVerdict Verdict;
};

// Analyses FileName with the tables of Context. Context's framework answers the proposed
// filters' installed state; with Render it also runs the RenderFile check and the
// detailed rendering. SaveDir (optional) receives SaveName.html and SaveName.txt. Several
// threads may share the tables; each needs a framework of its own. Out (optional): an
// output analysed without SaveDir is written to it as it is made, in chunks of
// kStreamChunk bytes, and Output stays empty; with SaveDir the output is returned in
// Output as usual.
TFileAnalysis AnalyseFile(const std::string& FileName, TAnalysisOutput Output, const std::string* SaveDir,
                          const TAnalysisContext& Context, bool Render, std::ostream* Out = nullptr,
                          const std::string& SaveName = "Report");

// How many bytes of a streamed output are gathered before they are written out.
inline constexpr size_t kStreamChunk = 64 * 1024;

}  // namespace ambrel
