// The system information printed alone: the system facts, then the installed filters and
// audio renderers, as the system-information run of the window gathers them.
#pragma once

#include <ostream>

#include "dshow/FrameworkSections.h"
#include "sysinfo/DxDiagHelper.h"

namespace ambrel {

// How a report of the machine is printed.
enum class TMachineOutput { Text, Html, Json };

// Prints the system information that Provider and Framework answer: its text report,
// the HTML page holding it alone, or its JSON document. Returns the exit status.
int RunSystemInfo(TMachineOutput Output, const TDxDiagProviderFactory& Provider, IFrameworkSections& Framework,
                  std::ostream& Out);
// Prints the installed filters and audio renderers that Framework answers, likewise.
int ListFilters(TMachineOutput Output, IFrameworkSections& Framework, std::ostream& Out);

}  // namespace ambrel
