#include "app/cli/AnalysisCommand.h"

#include <future>
#include <optional>
#include <string_view>
#include <vector>

#include "app/cli/JsonReport.h"
#include "app/analysis/MatroskaReport.h"
#include "app/analysis/ReportAssembly.h"
#include "dshow/DShowSections.h"

namespace ambrel {

namespace {

// Writes the bytes it is given to Out as they come.
auto WriteTo(std::ostream* Out) {
  return [Out](std::string_view bytes) { Out->write(bytes.data(), static_cast<std::streamsize>(bytes.size())); };
}

// Runs Work (the file's own report) on a thread of its own while this thread puts its first
// question to the framework, which a framework waiting for one starts here, and gives
// Work's result once both are done.
template <class F>
auto WhileFrameworkStarts(media::IMediaFramework& Fw, F Work) {
  auto work = std::async(std::launch::async, std::move(Work));
  Fw.BuildsGraphsConcurrently();
  return work.get();
}

// Writes the file's members into the document open in J; returns why it did not parse
// (empty when it parsed).
std::string WriteJsonDocument(TJsonStream& J, const std::string& FileName, const TAnalysisContext& Context) {
  // The document needs no parsing log: the parser's records and its failure say it all.
  TNullWriter log;
  std::unique_ptr<TByteSource> source = OpenFileSource(FileName);
  std::optional<TMatroskaParse> parse;
  if (source) parse = ParseMatroska(std::move(source), log);
  const TMatroskaParse* parsed = parse ? &*parse : nullptr;
  WriteJsonReport(J, FileName, parsed, Context);
  return JsonFailureMessage(FileName, parsed);
}

// The standard-error line of a file whose document says it did not parse.
std::string JsonErrors(const std::string& FileName, const std::string& Failure) {
  return Failure.empty() ? std::string() : FailureLine(FileName, Failure);
}

// The document ends the line it is on (JSON Lines); gives the text the stream still holds.
std::string JsonLineOf(TJsonStream& J) {
  J.EndObject();
  std::string line = J.TakeText();
  line += '\n';
  return line;
}

// Out (optional) receives the document as it is made, and Output stays empty.
TFileAnalysis AnalyseToJson(const std::string& FileName, const TAnalysisContext& Context, bool Render,
                            std::ostream* Out) {
  TFileAnalysis result;
  TJsonStream document;
  const auto write = WriteTo(Out);
  if (Out) document.SetDrain(write, kStreamChunk);
  document.BeginObject();
  std::string failure;
  if (Render && Context.Framework) {
    PrepareRenderingSections(FileName, *Context.Framework);
    failure = WhileFrameworkStarts(*Context.Framework, [&] { return WriteJsonDocument(document, FileName, Context); });
    TDetailedRenderingAhead detailed(FileName, *Context.Framework);
    WriteRenderResults(document, FileName, *Context.Framework, &detailed);
  } else {
    failure = WriteJsonDocument(document, FileName, Context);
  }
  result.Succeeded = failure.empty();
  result.Errors = JsonErrors(FileName, failure);
  result.Output = JsonLineOf(document);
  if (Out) {
    write(result.Output);
    result.Output.clear();
  }
  return result;
}

// What the JSON document is built from, kept while the sections are written: --json with
// --save analyses the file once, and its document reads as --json alone would.
struct TKeptAnswers {
  TKeptParse File;
  std::optional<media::HRESULT> RenderFile;  // none when the rendering sections did not run
  std::vector<std::string> Rendering;
};

// The file section and, when asked and a framework is there, the two rendering sections.
// Kept (optional) receives what the JSON document needs.
bool WriteSections(const std::string& FileName, TLogWriter& Report, TLogWriter& Log, const TAnalysisContext& Context,
                   bool Render, TKeptAnswers* Kept = nullptr) {
  TKeptParse* keptFile = Kept ? &Kept->File : nullptr;
  if (!Render || !Context.Framework) return WriteMatroskaInfo(FileName, Report, Log, Context, nullptr, keptFile);
  PrepareRenderingSections(FileName, *Context.Framework);
  const bool parsed = WhileFrameworkStarts(
      *Context.Framework, [&] { return WriteMatroskaInfo(FileName, Report, Log, Context, nullptr, keptFile); });
  TDetailedRenderingAhead detailed(FileName, *Context.Framework);
  const media::HRESULT hr = WriteRenderFileCheckSection(FileName, Report, *Context.Framework);
  WriteDetailedRenderingSection(FileName, Report, *Context.Framework, &detailed, Kept ? &Kept->Rendering : nullptr);
  if (Kept) Kept->RenderFile = hr;
  return parsed;
}

// The JSON document of an analysis whose sections were written with Kept.
std::string JsonFromKept(const std::string& FileName, const TKeptAnswers& Kept, const TAnalysisContext& Context) {
  TJsonStream document;
  document.BeginObject();
  const std::optional<TMatroskaParse>& parse = Kept.File.Parse;
  WriteJsonReport(document, FileName, parse ? &*parse : nullptr, Context);
  if (Kept.RenderFile) WriteRenderResults(document, *Context.Framework, *Kept.RenderFile, Kept.Rendering);
  return JsonLineOf(document);
}

}  // namespace

TFileAnalysis AnalyseFile(const std::string& FileName, TAnalysisOutput Output, const std::string* SaveDir,
                          const TAnalysisContext& Context, bool Render, std::ostream* Out) {
  if (Output == TAnalysisOutput::Json && !SaveDir) return AnalyseToJson(FileName, Context, Render, Out);
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
      case TAnalysisOutput::Json: break;
    }
  }
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
    result.Succeeded = WriteSections(FileName, *report, *log, Context, Render);
    chosen->GetStream().FlushDrain();
    if (Output == TAnalysisOutput::Html) {
      TReportWriters::WriteHtmlPageTail(skeleton);
      write(skeleton.GetStream().Bytes());
    }
    return result;
  }
  std::optional<TKeptAnswers> kept;
  if (Output == TAnalysisOutput::Json) kept.emplace();
  const bool parsed = WriteSections(FileName, *report, *log, Context, Render, kept ? &*kept : nullptr);
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
    case TAnalysisOutput::Json:
      result.Output = JsonFromKept(FileName, *kept, Context);
      result.Errors += JsonErrors(FileName, JsonFailureMessage(FileName, kept->File.Parse ? &*kept->File.Parse : nullptr));
      break;
  }
  result.Succeeded = parsed && saved;
  return result;
}

}  // namespace ambrel
