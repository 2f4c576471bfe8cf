// Fuzz target: the whole file report (parse, report, HTML page and text report) of an
// arbitrary file. Claim: no crash, and the HTML page and the text report are produced.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "app/FriendlyNames.h"
#include "app/MatroskaReport.h"
#include "app/ReportAssembly.h"
#include "codecdb/XmlCodecDB.h"

using namespace ambrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/ambrel_fuzz_report_" + std::to_string(getpid()) + ".mkv";
  static TFriendlyNames names = [] {
    TFriendlyNames n;
    n.Load("/nonexistent/");
    return n;
  }();
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  static TXmlCodecDB* db = [] {
    auto* d = new TXmlCodecDB;
    LoadCodecDB(*d, "/nonexistent/", nullptr);
    return d;
  }();
  TReportWriters writers;
  WriteMatroskaInfo(path, writers.FReportWriter, writers.FParsingLog, TAnalysisContext{names, *db});
  THTMLWriter page;
  writers.BuildHtmlPage(false, page);
  TTxtWriter text;
  writers.BuildTextReport(false, text);
  if (page.GetText().empty() || text.GetText().size() < 3) __builtin_trap();
  return 0;
}
