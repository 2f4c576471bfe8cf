#include "app/analysis/SectionsReader.h"

#include "app/analysis/MatroskaReport.h"
#include "base/TextUtil.h"

namespace ambrel {

void TSectionsReader::FileBegins(const std::string& FileName) {
  FFileName = FileName;
  FReport.ResetWriter();
  FLog.ResetWriter();
  const std::string title = "Matroska file info : " + Verbatim(ValidUtf8(FileName));
  FReport.WriteTitle(title);
  FLog.WriteLine(title);
}

void TSectionsReader::FileParsed(const TMatroskaParse* Parse) {
  FFacts = FileFactsOf(Parse);
  if (Parse) {
    WriteMatroskaReport(*Parse, FReport, FContext);
    return;
  }
  const std::string message = Verbatim("Can't open file " + ValidUtf8(FFileName));
  FReport.WriteLine(message);
  FLog.WriteLine(message);
}

void TSectionsReader::RenderFileChecked(const TRenderFileCheck& Check) {
  WriteRenderFileCheckSection(FReport, Check);
  FCheck = Check;
}

void TSectionsReader::Rendered(const TRenderRun& Run) { WriteDetailedRenderingSection(FReport, Run); }

bool WriteMatroskaInfo(const std::string& FileName, TLogWriter& Writer, TLogWriter& ParsingLog,
                       const TAnalysisContext& Context, const TParseControl* Control) {
  TSectionsReader sections(Writer, ParsingLog, Context);
  return TAnalysis(FileName, Context, false, Control).Run(sections);
}

}  // namespace ambrel
