// The system information printed alone: the system facts, then the installed filters and
// audio renderers, as the system-information run of the window gathers them.
#pragma once

#include <ostream>

#include "dshow/FrameworkSections.h"
#include "sysinfo/DxDiagHelper.h"

namespace ambrel {

// Prints the system information that Provider and Framework answer: its text report, or
// (Html) the HTML page holding it alone. Returns the exit status.
int RunSystemInfo(bool Html, const TDxDiagProviderFactory& Provider, IFrameworkSections& Framework,
                  std::ostream& Out);

}  // namespace ambrel
