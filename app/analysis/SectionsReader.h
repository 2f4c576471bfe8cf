// An analysis written as the report sections: the Matroska file report with its parsing
// log, then the RenderFile check and the detailed rendering.
#pragma once

#include <string>

#include "app/analysis/Analysis.h"
#include "app/analysis/FileVerdict.h"
#include "report/LogWriter.h"

namespace ambrel {

class TSectionsReader : public TAnalysisReader {
 public:
  // Report receives the sections and Log the parsing log; both start afresh with the file.
  TSectionsReader(TLogWriter& Report, TLogWriter& Log, const TAnalysisContext& Context)
      : FReport(Report), FLog(Log), FContext(Context) {}

  TLogWriter& ParsingLog() override { return FLog; }
  void FileBegins(const std::string& FileName) override;
  void FileParsed(const TMatroskaParse* Parse) override;
  void RenderFileChecked(const TRenderFileCheck& Check) override;
  void Rendered(const TRenderRun& Run) override;
  // The file's verdict once Run, the detailed rendering, is done.
  TFileVerdict Verdict(const TRenderRun& Run) const { return FileVerdictOf(FFacts, FCheck, &Run); }

 private:
  TLogWriter& FReport;
  TLogWriter& FLog;
  const TAnalysisContext& FContext;
  std::string FFileName;
  TFileFacts FFacts;
  TRenderFileCheck FCheck;
};

// The file report alone, without the rendering sections. Control (optional) follows and
// may stop the parse. Returns true when the file parsed completely.
bool WriteMatroskaInfo(const std::string& FileName, TLogWriter& Writer, TLogWriter& ParsingLog,
                       const TAnalysisContext& Context, const TParseControl* Control = nullptr);

}  // namespace ambrel
