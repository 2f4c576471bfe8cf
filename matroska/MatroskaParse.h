// One parse of a Matroska source, kept apart from any report: the records, the parser's
// outcome and its message. The report sections (HTML and text, JSON) render the same
// result.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "matroska/FileReader.h"
#include "matroska/MatroskaHelper.h"
#include "io/ByteSource.h"

namespace ambrel {

class TLogWriter;

// The line that ends the parsing log and the report of a parse stopped by its caller.
inline constexpr char kAnalysisCancelled[] = "Analysis cancelled.";

struct TMatroskaParse {
  std::unique_ptr<TFileReader> File;        // the source, still open
  std::unique_ptr<TMatroskaReader> Reader;  // the records (its parsing log is no longer written)
  int64_t FileSize = -1;                    // -1 when the source does not know it
  bool ClusterFound = false;                // the parse reached the first Cluster
  bool Cancelled = false;                   // stopped early on the caller's request
  std::string Error;                        // the parser's message (plain text); empty when none
  // Why the parse is not complete, as the parsing log's last line says it: the parser's
  // error, the cancellation line, or else the last line the parser logged (a refused
  // header, a missing Segment, the last value read before the segment ended; known only
  // when the log keeps text). Empty for a complete parse.
  std::string Failure;

  // The parse reached the first Cluster, was not stopped and met no error.
  bool Complete() const { return ClusterFound && !Cancelled && Error.empty(); }
  // The same typed: the message in plain text, and the element concerned where known.
  TParseFailure Reason;
};

// Parses Source, writing every value read into ParsingLog, and on failure or cancellation
// a last log line with the message. Control (optional) follows and may stop the parse.
// ParsingLog must outlive the call only. KeepAllRecords false keeps only what the file
// report shows: the Tags list stays empty and the chapter atoms are in the chapter
// outline only (both are still read and logged).
TMatroskaParse ParseMatroska(std::unique_ptr<TByteSource> Source, TLogWriter& ParsingLog,
                             const TParseControl* Control = nullptr, bool KeepAllRecords = true);

}  // namespace ambrel
