#include "app/cli/SystemInfoReport.h"

#include "app/analysis/ReportAssembly.h"
#include "app/cli/JsonSectionWriter.h"
#include "sysinfo/SystemInfoSection.h"

namespace ambrel {

namespace {

// Writes the sections that Write gives a writer, as Output asks.
template <class F>
int PrintMachineReport(TMachineOutput Output, std::ostream& Out, F Write) {
  std::string bytes;
  if (Output == TMachineOutput::Json) {
    TJsonSectionWriter json;
    Write(json);
    bytes = json.Document();
  } else {
    TReportWriters writers;
    Write(writers.FSysInfoWriter);
    bytes = writers.FSysInfoText.GetText();
    if (Output == TMachineOutput::Html) {
      THTMLWriter page;
      writers.BuildHtmlPage(true, page);
      bytes = page.GetText();
    }
  }
  Out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Out.flush();
  return Out ? 0 : 1;
}

}  // namespace

int RunSystemInfo(TMachineOutput Output, const TDxDiagProviderFactory& Provider, IFrameworkSections& Framework,
                  std::ostream& Out) {
  return PrintMachineReport(Output, Out, [&](TLogWriter& W) {
    WriteSystemInfoSection(W, Provider);
    Framework.WriteFilterLists(W);
  });
}

int ListFilters(TMachineOutput Output, IFrameworkSections& Framework, std::ostream& Out) {
  return PrintMachineReport(Output, Out, [&](TLogWriter& W) { Framework.WriteFilterLists(W); });
}

}  // namespace ambrel
