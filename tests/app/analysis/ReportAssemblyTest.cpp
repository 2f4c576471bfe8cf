// Assembly of the HTML page and the text report from the session's writers.
#include <gtest/gtest.h>

#include "app/analysis/ReportAssembly.h"

using namespace ambrel;

namespace {

const char kSkeletonHead[] =
    "\xEF\xBB\xBF<html>\r\n<head>\r\n<style type=\"text/css\">\r\nh2 { color: #0067AB; }\r\n"
    "ul { margin-top: 0; margin-bottom: 5; }\r\n</style>\r\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\r\n</head><body>\r\n";

TEST(ReportAssembly, SystemInformationFollowsTheFileReportOnlyWhenAsked) {
  TReportWriters w;
  w.FReportWriter.WriteTitle("File");
  w.FSysInfoWriter.WriteField("OS", "Linux");
  for (bool withSysInfo : {false, true}) {
    THTMLWriter page;
    w.BuildHtmlPage(withSysInfo, page);
    EXPECT_EQ(page.GetText(), std::string(kSkeletonHead) + "<h2>File</h2>\r\n" +
                                  (withSysInfo ? "<b>OS</b> : Linux<br />\r\n" : "") + "</body></html>\r\n");
    TTxtWriter text;
    w.BuildTextReport(withSysInfo, text);
    EXPECT_EQ(text.GetText(), std::string("\xEF\xBB\xBF") + "File\r\n" + (withSysInfo ? "OS : Linux\r\n" : ""));
  }
  // Assembly only reads the session's writers: they keep their bytes and stay appendable.
  w.FReportWriter.WriteLine("more");
  EXPECT_EQ(w.FReportText.GetText(), "File\r\nmore\r\n");
}

TEST(ReportAssembly, AFreshAnalysisReplacesThePreviousReport) {
  TReportWriters w;
  w.FReportWriter.WriteLine("a long first report line");
  w.FReportWriter.ResetWriter();
  w.FReportWriter.WriteLine("second");
  TTxtWriter text;
  w.BuildTextReport(false, text);
  EXPECT_EQ(text.GetText(), "\xEF\xBB\xBFsecond\r\n");
}

}  // namespace
