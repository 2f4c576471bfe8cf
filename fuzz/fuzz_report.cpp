// Fuzz target: the whole file report (parse, report, HTML page and text report) of an
// arbitrary file, fed from memory. Claims: no crash, the HTML page and the text report
// are produced, and the text report built alone (no parsing log, tags not kept, as the
// command line builds it) is the one built with everything.
#include <cstdint>
#include <memory>
#include <string_view>

#include "app/FriendlyNames.h"
#include "app/MatroskaReport.h"
#include "app/ReportAssembly.h"
#include "codecdb/XmlCodecDB.h"
#include "platform/ByteSource.h"

using namespace ambrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const TFriendlyNames names = [] {
    TFriendlyNames n;
    n.Load("");
    return n;
  }();
  static const TXmlCodecDB& codecDB = *[] {
    auto* db = new TXmlCodecDB;
    LoadCodecDB(*db, "", nullptr);
    return db;
  }();
  const TAnalysisContext context{names, codecDB};

  TReportWriters writers;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const TMatroskaParse parse = ParseMatroska(std::make_unique<TMemorySource>(bytes), writers.FParsingLog);
  WriteMatroskaReport(parse, writers.FReportWriter, context);
  THTMLWriter page;
  writers.BuildHtmlPage(false, page);
  TTxtWriter text;
  writers.BuildTextReport(false, text);
  if (page.GetText().empty() || text.GetText().size() < 3) __builtin_trap();

  TNullWriter noLog;
  TTxtWriter alone;
  const TMatroskaParse lean = ParseMatroska(std::make_unique<TMemorySource>(bytes), noLog, nullptr, false);
  WriteMatroskaReport(lean, alone, context);
  if (alone.GetStream().Bytes() != writers.FReportText.GetStream().Bytes()) __builtin_trap();
  return 0;
}
