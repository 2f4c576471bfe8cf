#include "app/AnalysisCommand.h"

#include "app/FriendlyNames.h"
#include "app/MatroskaReport.h"
#include "app/ReportAssembly.h"
#include "codecdb/XmlCodecDB.h"
#include "dshow/DShowSections.h"

namespace ambrel {

namespace {

void Print(std::ostream& out, std::string_view bytes) {
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int RunAnalysis(const std::string& FileName, TAnalysisOutput Output, const std::string* SaveDir,
                const std::string& ExeDir, std::ostream& out, std::ostream& err,
                media::IMediaFramework* Framework, bool Render) {
  std::string loadError;
  TFriendlyNames names;
  names.Load(ExeDir, &loadError);
  if (!loadError.empty()) err << "ambrel-cli: " << loadError << "\n";
  loadError.clear();
  TXmlCodecDB codecDB;
  LoadCodecDB(codecDB, ExeDir, &loadError);
  if (!loadError.empty()) err << "ambrel-cli: " << loadError << "\n";

  TReportWriters writers;
  const TAnalysisContext context{names, codecDB, Framework};
  const bool parsed = WriteMatroskaInfo(FileName, writers.FReportWriter, writers.FParsingLog, context);
  if (Framework && Render) {
    WriteRenderFileCheckSection(FileName, writers.FReportWriter, *Framework);
    WriteDetailedRenderingSection(FileName, writers.FReportWriter, *Framework);
  }
  bool saved = true;
  if (SaveDir) {
    for (const std::string& path : writers.SaveReports(*SaveDir, false)) {
      err << "ambrel-cli: cannot write " << path << "\n";
      saved = false;
    }
  }
  switch (Output) {
    case TAnalysisOutput::Text: Print(out, writers.FReportText.GetStream().Bytes()); break;
    case TAnalysisOutput::Log: Print(out, writers.FParsingLog.GetStream().Bytes()); break;
    case TAnalysisOutput::Html: {
      THTMLWriter page;
      writers.BuildHtmlPage(false, page);
      Print(out, page.GetStream().Bytes());
      break;
    }
  }
  out.flush();
  return parsed && saved ? 0 : 1;
}

}  // namespace ambrel
