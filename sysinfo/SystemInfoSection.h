// The system-information section: general system facts, display devices and sound
// devices, read through the diagnostic information provider.
#pragma once

#include "report/LogWriter.h"
#include "sysinfo/DxDiagHelper.h"

namespace ambrel {

// Writes the three blocks into W; writes nothing at all when the provider cannot be
// opened.
void WriteSystemInfoSection(TLogWriter& W, const TDxDiagProviderFactory& Factory);

// The provider of this machine.
TDxDiagProviderFactory LocalMachineProvider();

}  // namespace ambrel
