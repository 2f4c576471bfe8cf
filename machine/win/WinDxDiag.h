// The system's own diagnostic provider (DxDiag's COM objects) behind the DxDiag-shaped
// interface: the same container paths and property names, answered by Windows.
#pragma once

#include <memory>

#include "machine/DxDiagProvider.h"

namespace ambrel::platform {

std::unique_ptr<IDxDiagProvider> CreateWindowsDxDiagProvider();

}  // namespace ambrel::platform
