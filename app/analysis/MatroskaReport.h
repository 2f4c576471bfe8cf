// The Matroska file report: the first section of every file analysis. It parses the
// file into records while the parser writes the parsing log, then writes the file
// report (size, completeness, segment information, tracks, attachments, chapters).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/analysis/AnalysisContext.h"
#include "matroska/MatroskaParse.h"
#include "matroska/MatroskaRecords.h"
#include "report/LogWriter.h"

namespace ambrel {

// "%d bytes" below 1 KB, else the size in KB, MB or GB with two decimals.
std::string FormatFileSize(int64_t Size);
std::string YesNo(bool Flag);
// A chapter time (nanoseconds) as "hh:mm:ss.mmm", reduced to 32 bits of milliseconds.
std::string ChapterTime(int64_t Nanoseconds);
// Every edition's number, then one list per atom around its item and its nested atoms.
void WriteChapters(const TChapterOutline& Outline, TLogWriter& W);

// The parse a report was written from, kept for a caller that builds more from it (the
// JSON document of the same analysis).
struct TKeptParse {
  std::optional<TMatroskaParse> Parse;  // with all its records; none when the file did not open
  int64_t LogStart = 0;                 // where the parser's own lines begin in the parsing log
};

// Starts Writer and ParsingLog afresh and writes the report of FileName into them: the
// file is parsed (ParseMatroska writes the log), then its records are written
// (WriteMatroskaReport). Control (optional) follows and may stop the parse. Kept
// (optional) receives the parse; the report and the log read the same either way.
// Returns true when the parser reached the first Cluster and was not stopped (the full
// report was written).
bool WriteMatroskaInfo(const std::string& FileName, TLogWriter& Writer, TLogWriter& ParsingLog,
                       const TAnalysisContext& Context, const TParseControl* Control = nullptr,
                       TKeptParse* Kept = nullptr);

// Writes the file report of a parse: its size, then the parser's error, or the segment
// information, tracks, attachments and chapters when the first Cluster was reached or
// the parse was stopped early (followed then by the cancellation line).
void WriteMatroskaReport(const TMatroskaParse& Parse, TLogWriter& Writer, const TAnalysisContext& Context);

}  // namespace ambrel
