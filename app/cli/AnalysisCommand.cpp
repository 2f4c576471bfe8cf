#include "app/cli/AnalysisCommand.h"

#include <string_view>

#include "app/analysis/Analysis.h"
#include "app/analysis/ReportAssembly.h"
#include "app/analysis/SectionsReader.h"
#include "app/cli/JsonReport.h"

namespace ambrel {

namespace {

// Writes the bytes it is given to Out as they come.
auto WriteTo(std::ostream* Out) {
  return [Out](std::string_view bytes) { Out->write(bytes.data(), static_cast<std::streamsize>(bytes.size())); };
}

// The document ends the line it is on (JSON Lines); gives the text the stream still holds.
std::string JsonLineOf(TJsonStream& J) {
  J.EndObject();
  std::string line = J.TakeText();
  line += '\n';
  return line;
}

// --json alone: the document is the only output. Out (optional) receives it as it is
// made, and Output stays empty.
TFileAnalysis AnalyseToJson(TAnalysis& Analysis, const TAnalysisContext& Context, bool Render, std::ostream* Out) {
  TFileAnalysis result;
  TJsonStream document;
  const auto write = WriteTo(Out);
  if (Out) document.SetDrain(write, kStreamChunk);
  document.BeginObject();
  TJsonReader json(document, Context, Render);
  result.Succeeded = Analysis.Run(json);
  result.Output = JsonLineOf(document);
  if (Out) {
    write(result.Output);
    result.Output.clear();
  }
  return result;
}

// The summary reads only the verdict: the parse's outcome and the framework's answers.
class TVerdictReader : public TAnalysisReader {
 public:
  TVerdictReader() { FLog.GetStream().SetDrain([](std::string_view) {}, 64 * 1024); }
  // The parser says why a file fell short only when its log keeps text.
  TLogWriter& ParsingLog() override { return FLog; }
  void FileBegins(const std::string& FileName) override { FFileName = FileName; }
  void FileParsed(const TMatroskaParse* Parse) override { FFacts = FileFactsOf(FFileName, Parse); }
  void RenderFileChecked(const TRenderFileCheck& Check) override { FCheck = Check; }
  void Rendered(const TRenderRun& Run) override {
    FVerdict = FileVerdictOf(FFacts, FCheck, &Run);
    FRendered = true;
  }
  TFileVerdict Verdict() const {
    if (FRendered) return FVerdict;
    TFileVerdict verdict;
    verdict.Status = FFacts.Parsed ? "parses" : "damaged";
    if (!FFacts.Parsed) verdict.Reason = FFacts.Failure;
    return verdict;
  }

 private:
  TTxtWriter FLog;
  std::string FFileName;
  TFileFacts FFacts;
  TRenderFileCheck FCheck;
  TFileVerdict FVerdict;
  bool FRendered = false;
};

}  // namespace

TFileAnalysis AnalyseFile(const std::string& FileName, TAnalysisOutput Output, const std::string* SaveDir,
                          const TAnalysisContext& Context, bool Render, std::ostream* Out,
                          const std::string& SaveName) {
  TAnalysis analysis(FileName, Context, Render);
  if (Output == TAnalysisOutput::Summary) {
    TFileAnalysis result;
    TVerdictReader reader;
    result.Succeeded = analysis.Run(reader);
    result.Verdict = reader.Verdict();
    return result;
  }
  if (Output == TAnalysisOutput::Json && !SaveDir) return AnalyseToJson(analysis, Context, Render && Context.Framework, Out);
  TFileAnalysis result;
  TReportWriters writers;
  // Without --save only the chosen output is built: the others would be thrown away.
  // Each writer is written the same calls either way, so its bytes do not change.
  TNullWriter unused;
  TLogWriter* report = &writers.FReportWriter;
  TLogWriter* log = &writers.FParsingLog;
  TLogWriter* chosen = nullptr;  // the one writer built, when it is the only one
  if (!SaveDir) {
    switch (Output) {
      case TAnalysisOutput::Text: report = chosen = &writers.FReportText; log = &unused; break;
      case TAnalysisOutput::Html: report = chosen = &writers.FReportHTML; log = &unused; break;
      case TAnalysisOutput::Log: report = &unused; chosen = log; break;
      case TAnalysisOutput::Json:
      case TAnalysisOutput::Summary: break;
    }
  }
  TSectionsReader sections(*report, *log, Context);
  if (Out && chosen) {
    // The output goes out as it is made; an HTML page's skeleton is written around it.
    const auto write = WriteTo(Out);
    THTMLWriter skeleton;
    if (Output == TAnalysisOutput::Html) {
      TReportWriters::WriteHtmlPageHead(skeleton);
      write(skeleton.GetStream().Bytes());
      skeleton.ResetWriter();
    }
    chosen->GetStream().SetDrain(write, kStreamChunk);
    result.Succeeded = analysis.Run(sections);
    chosen->GetStream().FlushDrain();
    if (Output == TAnalysisOutput::Html) {
      TReportWriters::WriteHtmlPageTail(skeleton);
      write(skeleton.GetStream().Bytes());
    }
    return result;
  }
  bool parsed = false;
  // --json with --save: the document is made from the same analysis as the saved reports.
  TJsonStream document;
  if (Output == TAnalysisOutput::Json) {
    document.BeginObject();
    TJsonReader json(document, Context, Render && Context.Framework);
    TReaderPair both(sections, json);
    parsed = analysis.Run(both);
  } else {
    parsed = analysis.Run(sections);
  }
  bool saved = true;
  if (SaveDir) {
    for (const TReportWriters::TSaveFailure& failure : writers.SaveReports(*SaveDir, false, SaveName)) {
      result.Errors += "ambrel-cli: cannot write " + failure.Path + ": " + failure.Reason + "\n";
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
    case TAnalysisOutput::Json: result.Output = JsonLineOf(document); break;
    case TAnalysisOutput::Summary: break;
  }
  result.Succeeded = parsed && saved;
  return result;
}

}  // namespace ambrel
