// The JSON form of a file analysis: one document per file with the parse's outcome and
// its records (EBML header, segment information, tracks, attachments, chapters, tags).
// Every text is well-formed UTF-8 (ill-formed bytes become U+FFFD) and every number a
// JSON number, so a batch of documents can be read by any JSON parser.
#pragma once

#include <string>

#include "app/analysis/Analysis.h"
#include "app/analysis/FileVerdict.h"
#include "app/cli/JsonStream.h"
#include "matroska/MatroskaParse.h"
#include "report/LogWriter.h"

namespace ambrel {

// Writes the members of FileName's document into the object open in J: Parse is null
// when the file could not be opened. A file that did not parse completely shows why as
// its "error".
void WriteJsonReport(TJsonStream& J, const std::string& FileName, const TMatroskaParse* Parse,
                     const TAnalysisContext& Context);

// Why FileName's document says it did not parse (plain text); empty when it parsed.
std::string JsonFailureMessage(const std::string& FileName, const TMatroskaParse* Parse);

// The media framework's answers: "render_file" (the RenderFile check's code and text) and
// "rendering" (the detailed rendering's final result, or why it stopped, and the paths it
// completed, as plain text).
void WriteRenderFileJson(TJsonStream& J, const TRenderFileCheck& Check);
void WriteRenderingJson(TJsonStream& J, const TRenderRun& Run);
// "verdict": the file's status, the packages that would make it play and the tracks that
// will not play; null when the framework did not run (Verdict is null).
void WriteVerdictJson(TJsonStream& J, const TFileVerdict* Verdict);

// What the verdict needs of the file's parse: whether it parsed (else why not) and its
// tracks' codec IDs.
TFileFacts FileFactsOf(const std::string& FileName, const TMatroskaParse* Parse);

// An analysis written as the members of its JSON document, into the object open in J.
class TJsonReader : public TAnalysisReader {
 public:
  // Render: the framework runs after the file's part, and the document ends with its verdict.
  TJsonReader(TJsonStream& J, const TAnalysisContext& Context, bool Render);

  // The document reads nothing from the log, but the parser says why a file fell short
  // only when its log keeps text: the log is made and dropped as it goes.
  TLogWriter& ParsingLog() override { return FLog; }
  bool KeepsAllRecords() const override { return true; }
  void FileBegins(const std::string& FileName) override { FFileName = FileName; }
  void FileParsed(const TMatroskaParse* Parse) override;
  void FileDone() override;
  void RenderFileChecked(const TRenderFileCheck& Check) override;
  void Rendered(const TRenderRun& Run) override;

 private:
  TJsonStream& FJ;
  const TAnalysisContext& FContext;
  const bool FRender;
  std::string FFileName;
  TTxtWriter FLog;
  TFileFacts FFacts;
  TRenderFileCheck FCheck;
};

// A DateUTC as ISO 8601 in UTC ("2010-08-21T07:23:03.000Z"); empty when the date
// cannot be shown.
std::string DateUTCToIso(int64_t DateUTC);

}  // namespace ambrel
