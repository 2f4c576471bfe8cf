#include "app/ReportAssembly.h"

namespace ambrel {

TReportWriters::TReportWriters() {
  FSysInfoWriter.AddWriter(&FSysInfoHTML);
  FSysInfoWriter.AddWriter(&FSysInfoText);
  FReportWriter.AddWriter(&FReportHTML);
  FReportWriter.AddWriter(&FReportText);
}

void TReportWriters::BuildHtmlPage(bool AddSystemInfo, THTMLWriter& Page) {
  Page.WriteRaw(std::string(UTF8BOM) + "<html>");
  Page.WriteRaw("<head>");
  Page.WriteRaw("<style type=\"text/css\">");
  Page.WriteRaw("h2 { color: #0067AB; }");
  Page.WriteRaw("ul { margin-top: 0; margin-bottom: 5; }");
  Page.WriteRaw("</style>");
  Page.WriteRaw("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />");
  Page.WriteRaw("</head><body>");
  Page.AppendWriter(FReportHTML);
  if (AddSystemInfo) Page.AppendWriter(FSysInfoHTML);
  Page.WriteRaw("</body></html>");
}

void TReportWriters::BuildTextReport(bool AddSystemInfo, TTxtWriter& Text) {
  Text.WriteRaw(UTF8BOM);
  Text.AppendWriter(FReportText);
  if (AddSystemInfo) Text.AppendWriter(FSysInfoText);
}

void TReportWriters::SaveReports(const std::string& Dir, bool AddSystemInfo) {
  const std::string dir = Dir.empty() || Dir.back() == '/' ? Dir : Dir + "/";
  THTMLWriter page;
  BuildHtmlPage(AddSystemInfo, page);
  page.SaveToFile(dir + "Report.html");
  TTxtWriter text;
  BuildTextReport(AddSystemInfo, text);
  text.SaveToFile(dir + "Report.txt");
}

}  // namespace ambrel
