// The report writers of a session and the assembly of what the user sees and keeps:
// the HTML page and the text report built from the writers' buffers, saved as
// "Report.html" and "Report.txt". The command line and the window share this piece, so
// both show and save the same bytes.
#pragma once

#include <string>
#include <vector>

#include "report/LogWriter.h"

namespace ambrel {

// The UTF-8 byte-order mark that starts the HTML page and the text report.
inline constexpr char UTF8BOM[] = "\xEF\xBB\xBF";

class TReportWriters {
 public:
  TReportWriters();

  THTMLWriter FSysInfoHTML;
  TTxtWriter FSysInfoText;
  TMultiWriter FSysInfoWriter;  // FSysInfoHTML, then FSysInfoText
  THTMLWriter FReportHTML;
  TTxtWriter FReportText;
  TMultiWriter FReportWriter;  // FReportHTML, then FReportText
  TTxtWriter FParsingLog;

  // The whole HTML page: the fixed skeleton around the file report and, when
  // AddSystemInfo, the system information.
  void BuildHtmlPage(bool AddSystemInfo, THTMLWriter& Page);
  // The skeleton's parts before and after the reports.
  static void WriteHtmlPageHead(THTMLWriter& Page);
  static void WriteHtmlPageTail(THTMLWriter& Page);
  // The byte-order mark, the file report and, when AddSystemInfo, the system information.
  void BuildTextReport(bool AddSystemInfo, TTxtWriter& Text);
  // A report file that could not be saved, and the system's reason.
  struct TSaveFailure {
    std::string Path;
    std::string Reason;
  };
  // Replaces Dir + Name + ".html" and Dir + Name + ".txt" (a '/' is added to Dir when
  // missing); a file that cannot be saved keeps what it held. Returns the failures.
  std::vector<TSaveFailure> SaveReports(const std::string& Dir, bool AddSystemInfo,
                                        const std::string& Name = "Report");
};

}  // namespace ambrel
