#include "app/analysis/ReportAssembly.h"

#include "io/DataFile.h"

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
  Page.WriteRaw(std::string(UTF8BOM) + "<html>");
  Page.WriteRaw("<head>");
  Page.WriteRaw("<style type=\"text/css\">");
  Page.WriteRaw("h2 { color: #0067AB; }");
  Page.WriteRaw("ul { margin-top: 0; margin-bottom: 5; }");
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

std::vector<std::string> TReportWriters::SaveReports(const std::string& Dir, bool AddSystemInfo) {
  std::vector<std::string> failed;
  const std::string html = platform::JoinPath(Dir, "Report.html");
  const std::string txt = platform::JoinPath(Dir, "Report.txt");
  THTMLWriter page;
  BuildHtmlPage(AddSystemInfo, page);
  if (!page.SaveToFile(html)) failed.push_back(html);
  TTxtWriter text;
  BuildTextReport(AddSystemInfo, text);
  if (!text.SaveToFile(txt)) failed.push_back(txt);
  return failed;
}

}  // namespace ambrel
