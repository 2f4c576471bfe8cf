// The Matroska file report: the first section of every file analysis, written from the
// file's parse (size, completeness, segment information, tracks, attachments, chapters).
#pragma once

#include <cstdint>
#include <string>

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

// Writes the file report of a parse: its size, then the parser's error, or the segment
// information, tracks, attachments and chapters when the first Cluster was reached or
// the parse was stopped early (followed then by the cancellation line).
void WriteMatroskaReport(const TMatroskaParse& Parse, TLogWriter& Writer, const TAnalysisContext& Context);

}  // namespace ambrel
