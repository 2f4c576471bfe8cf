// The media framework answered by the system's own DirectShow: every object handed out
// wraps the system's COM object and crosses GUIDs, media types and UTF-16 text between
// the two vocabularies. Only this folder includes the Windows headers.
#pragma once

#include <memory>

#include "media/BasicMediaFramework.h"

namespace ambrel::media {

// The system's DirectShow, in process. Classes it does not register answer as the
// system does (REGDB_E_CLASSNOTREG).
std::unique_ptr<IMediaFramework> CreateDirectShowFramework();

}  // namespace ambrel::media
