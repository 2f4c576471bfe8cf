// The system information printed alone: the system facts, then the installed media
// filters, as the system-information run of the window gathers them.
#pragma once

#include <ostream>

#include "sysinfo/DxDiagHelper.h"

namespace ambrel {

// Prints the system information that Provider answers: its text report, or (Html) the
// HTML page holding it alone. Returns the exit status.
int RunSystemInfo(bool Html, const TDxDiagProviderFactory& Provider, std::ostream& Out);

}  // namespace ambrel
