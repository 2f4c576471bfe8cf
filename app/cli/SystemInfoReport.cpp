#include "app/cli/SystemInfoReport.h"

#include "app/analysis/ReportAssembly.h"
#include "sysinfo/SystemInfoSection.h"

namespace ambrel {

int RunSystemInfo(bool Html, const TDxDiagProviderFactory& Provider, IFrameworkSections& Framework,
                  std::ostream& Out) {
  TReportWriters writers;
  WriteSystemInfoSection(writers.FSysInfoWriter, Provider);
  Framework.WriteFilterLists(writers.FSysInfoWriter);
  std::string bytes = writers.FSysInfoText.GetText();
  if (Html) {
    THTMLWriter page;
    writers.BuildHtmlPage(true, page);
    bytes = page.GetText();
  }
  Out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Out.flush();
  return Out ? 0 : 1;
}

}  // namespace ambrel
