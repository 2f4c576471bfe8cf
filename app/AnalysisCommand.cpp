#include "app/AnalysisCommand.h"

#include "app/AnalysisTables.h"
#include "app/JsonReport.h"
#include "app/MatroskaReport.h"
#include "app/ReportAssembly.h"

namespace ambrel {

namespace {

void Print(std::ostream& out, std::string_view bytes) {
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TFileAnalysis AnalyseToJson(const std::string& FileName, const TAnalysisContext& Context) {
  TFileAnalysis result;
  TTxtWriter log;
  std::unique_ptr<TByteSource> source = OpenFileSource(FileName);
  if (!source) {
    log.WriteLine("Can't open file " + FileName);
    result.Output = JsonLine(BuildJsonReport(FileName, nullptr, log.GetStream().Bytes(), Context));
    return result;
  }
  const TMatroskaParse parse = ParseMatroska(std::move(source), log);
  const TJson document = BuildJsonReport(FileName, &parse, log.GetStream().Bytes(), Context);
  result.Succeeded = document["parsed"].get<bool>();
  result.Output = JsonLine(document);
  return result;
}

}  // namespace

TFileAnalysis AnalyseFile(const std::string& FileName, TAnalysisOutput Output, const std::string* SaveDir,
                          const TAnalysisContext& Context) {
  if (Output == TAnalysisOutput::Json && !SaveDir) return AnalyseToJson(FileName, Context);
  TFileAnalysis result;
  TReportWriters writers;
  const bool parsed = WriteMatroskaInfo(FileName, writers.FReportWriter, writers.FParsingLog, Context);
  bool saved = true;
  if (SaveDir) {
    for (const std::string& path : writers.SaveReports(*SaveDir, false)) {
      result.Errors += "ambrel-cli: cannot write " + path + "\n";
      saved = false;
    }
  }
  switch (Output) {
    case TAnalysisOutput::Text: result.Output = writers.FReportText.GetStream().Bytes(); break;
    case TAnalysisOutput::Log: result.Output = writers.FParsingLog.GetStream().Bytes(); break;
    case TAnalysisOutput::Html: {
      THTMLWriter page;
      writers.BuildHtmlPage(false, page);
      result.Output = page.GetStream().Bytes();
      break;
    }
    case TAnalysisOutput::Json: {
      const TFileAnalysis json = AnalyseToJson(FileName, Context);
      result.Output = json.Output;
      break;
    }
  }
  result.Succeeded = parsed && saved;
  return result;
}

int RunAnalysis(const std::string& FileName, TAnalysisOutput Output, const std::string* SaveDir,
                const std::string& ExeDir, std::ostream& out, std::ostream& err) {
  const TAnalysisTables tables(ExeDir, err);
  const TFileAnalysis result = AnalyseFile(FileName, Output, SaveDir, tables.Context());
  Print(err, result.Errors);
  Print(out, result.Output);
  out.flush();
  return result.Succeeded ? 0 : 1;
}

}  // namespace ambrel
