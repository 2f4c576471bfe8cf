#include "app/analysis/ReportAssembly.h"

#include "io/DataFile.h"
#include "io/SaveFile.h"

namespace ambrel {

TReportWriters::TReportWriters() {
  FSysInfoWriter.AddWriter(&FSysInfoHTML);
  FSysInfoWriter.AddWriter(&FSysInfoText);
  FReportWriter.AddWriter(&FReportHTML);
  FReportWriter.AddWriter(&FReportText);
}

void TReportWriters::BuildHtmlPage(bool AddSystemInfo, THTMLWriter& Page) {
  WriteHtmlPageHead(Page);
  Page.AppendWriter(FReportHTML);
  if (AddSystemInfo) Page.AppendWriter(FSysInfoHTML);
  WriteHtmlPageTail(Page);
}

void TReportWriters::WriteHtmlPageHead(THTMLWriter& Page) {
  Page.WriteRaw(std::string(UTF8BOM) + "<!DOCTYPE html>");
  Page.WriteRaw("<html>");
  Page.WriteRaw("<head>");
  Page.WriteRaw("<title>Ambrel report</title>");
  Page.WriteRaw("<style type=\"text/css\">");
  Page.WriteRaw("h2 { color: #0067AB; }");
  Page.WriteRaw("ul { margin-top: 0; margin-bottom: 5px; }");
  Page.WriteRaw("</style>");
  Page.WriteRaw("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />");
  Page.WriteRaw("</head><body>");
}

void TReportWriters::WriteHtmlPageTail(THTMLWriter& Page) { Page.WriteRaw("</body></html>"); }

void TReportWriters::BuildTextReport(bool AddSystemInfo, TTxtWriter& Text) {
  Text.WriteRaw(UTF8BOM);
  Text.AppendWriter(FReportText);
  if (AddSystemInfo) Text.AppendWriter(FSysInfoText);
}

std::vector<TReportWriters::TSaveFailure> TReportWriters::SaveReports(const std::string& Dir, bool AddSystemInfo,
                                                                      const std::string& Name) {
  std::vector<TSaveFailure> failed;
  const auto save = [&](const std::string& Path, TLogWriter& Writer) {
    if (std::string reason = platform::SaveFile(Path, Writer.GetStream().Bytes()); !reason.empty()) {
      failed.push_back({Path, std::move(reason)});
    }
  };
  THTMLWriter page;
  BuildHtmlPage(AddSystemInfo, page);
  save(platform::JoinPath(Dir, Name + ".html"), page);
  TTxtWriter text;
  BuildTextReport(AddSystemInfo, text);
  save(platform::JoinPath(Dir, Name + ".txt"), text);
  return failed;
}

}  // namespace ambrel
