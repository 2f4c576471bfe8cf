// The rendering results across the host boundary: the RenderFile check as one frame, the
// detailed rendering as one frame per step, so that the analysis's readers get the same
// data a framework of their own process gives.
#pragma once

#include "dshow/DShowHelper.h"
#include "dshow/DShowSections.h"
#include "dshow/RenderRun.h"
#include "host/HostProtocol.h"

namespace ambrel::host {

void PutCheck(TFrame& Frame, const TRenderFileCheck& Check);
// False for a frame that does not hold a check.
bool GetCheck(TFrame& Frame, TRenderFileCheck& Check);

// A filter's install facts; the server's path crosses as its UTF-16 code units, unchanged.
void PutInstall(TFrame& Frame, const TFilterInstall& Install);
// False for a frame that does not hold them.
bool GetInstall(TFrame& Frame, TFilterInstall& Install);

void PutStep(TFrame& Frame, const TRenderStep& Step);
// False for a frame that does not hold a step.
bool GetStep(TFrame& Frame, TRenderRun& Run);

}  // namespace ambrel::host
