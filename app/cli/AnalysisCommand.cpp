#include "app/cli/AnalysisCommand.h"

#include <future>
#include <optional>
#include <string_view>
#include <vector>

#include "app/cli/JsonReport.h"
#include "app/analysis/MatroskaReport.h"
#include "app/analysis/ReportAssembly.h"
#include "dshow/FrameworkSections.h"

namespace ambrel {

namespace {

// Keeps in Tail the last line of a text given in pieces (More is the next one), with the
// line breaks that follow it.
void KeepLastLine(std::string& Tail, std::string_view More) {
  size_t end = More.size();
  while (end > 0 && (More[end - 1] == '\n' || More[end - 1] == '\r')) --end;
  const size_t lineBreak = end > 0 ? More.find_last_of("\r\n", end - 1) : std::string_view::npos;
  if (lineBreak != std::string_view::npos) {
    Tail.assign(More.substr(lineBreak + 1));
  } else {
    Tail.append(More);
  }
}

// Writes the bytes it is given to Out as they come.
auto WriteTo(std::ostream* Out) {
  return [Out](std::string_view bytes) { Out->write(bytes.data(), static_cast<std::streamsize>(bytes.size())); };
}

// Runs Work (the file's own report) on a thread of its own while this thread waits for the
// framework's start (which a framework waiting for a question does here), and gives Work's
// result once both are done.
template <class F>
auto WhileFrameworkStarts(IFrameworkSections& Fw, F Work) {
  auto work = std::async(std::launch::async, std::move(Work));
  Fw.Start();
  return work.get();
}

// The log of a file that did not open, from which the JSON document reads its error.
std::string CantOpenLog(const std::string& FileName) {
  TTxtWriter log;
  log.WriteLine("Can't open file " + FileName);
  return log.GetText();
}

// Writes the file's members into the document open in J; returns whether it parsed.
bool WriteJsonDocument(TJsonStream& J, const std::string& FileName, const TAnalysisContext& Context) {
  // The document uses the log's last line only (the error of a file that did not parse),
  // so the log passes through, leaving its last line.
  TTxtWriter log;
  std::string lastLine;
  log.GetStream().SetDrain([&lastLine](std::string_view piece) { KeepLastLine(lastLine, piece); }, kStreamChunk);
  std::unique_ptr<TByteSource> source = OpenFileSource(FileName);
  std::optional<TMatroskaParse> parse;
  if (source) {
    parse = ParseMatroska(std::move(source), log);
  } else {
    lastLine = CantOpenLog(FileName);
  }
  log.GetStream().FlushDrain();
  const TMatroskaParse* parsed = parse ? &*parse : nullptr;
  WriteJsonReport(J, FileName, parsed, lastLine, Context);
  return JsonParsed(parsed);
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
  if (Render && Context.Framework) {
    Context.Framework->Prepare(FileName);
    result.Succeeded =
        WhileFrameworkStarts(*Context.Framework, [&] { return WriteJsonDocument(document, FileName, Context); });
    WriteRenderResults(document, Context.Framework->RenderAnswers(FileName));
  } else {
    result.Succeeded = WriteJsonDocument(document, FileName, Context);
  }
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
  std::optional<TRenderAnswers> Render;  // none when the rendering sections did not run
};

// The file section and, when asked and a framework is there, the two rendering sections.
// Kept (optional) receives what the JSON document needs.
bool WriteSections(const std::string& FileName, TLogWriter& Report, TLogWriter& Log, const TAnalysisContext& Context,
                   bool Render, TKeptAnswers* Kept = nullptr) {
  TKeptParse* keptFile = Kept ? &Kept->File : nullptr;
  if (!Render || !Context.Framework) return WriteMatroskaInfo(FileName, Report, Log, Context, nullptr, keptFile);
  IFrameworkSections& fw = *Context.Framework;
  fw.Prepare(FileName);
  const bool parsed =
      WhileFrameworkStarts(fw, [&] { return WriteMatroskaInfo(FileName, Report, Log, Context, nullptr, keptFile); });
  TRenderAnswers answers;
  fw.WriteRenderFileCheck(FileName, Report, answers);
  fw.WriteDetailedRendering(FileName, Report, answers);
  if (Kept) Kept->Render = std::move(answers);
  return parsed;
}

// The JSON document of an analysis whose sections were written with Kept, Log its
// parsing log.
std::string JsonFromKept(const std::string& FileName, const TKeptAnswers& Kept, std::string_view Log,
                         const TAnalysisContext& Context) {
  TJsonStream document;
  document.BeginObject();
  const std::optional<TMatroskaParse>& parse = Kept.File.Parse;
  if (parse)
    WriteJsonReport(document, FileName, &*parse, Log.substr(static_cast<size_t>(Kept.File.LogStart)), Context);
  else
    WriteJsonReport(document, FileName, nullptr, CantOpenLog(FileName), Context);
  if (Kept.Render) WriteRenderResults(document, *Kept.Render);
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
      result.Output = JsonFromKept(FileName, *kept, writers.FParsingLog.GetStream().Bytes(), Context);
      break;
  }
  result.Succeeded = parsed && saved;
  return result;
}

}  // namespace ambrel
