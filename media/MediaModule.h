// The boundary between a program and a loadable media-framework module: the one C
// function the module exports, and the version of the interfaces both sides were built
// with. Only the COM-shaped objects of MediaFramework.h cross it; each side allocates and
// frees through its own C++ runtime, which both route to the C library's heap.
#pragma once

#include "media/MediaFramework.h"

namespace ambrel::media {

// Raised whenever MediaFramework.h changes in a way a module built before would not
// follow (a method added, moved or changed, an object's layout changed).
inline constexpr unsigned kMediaModuleAbi = 5;

inline constexpr const char* kMediaModuleEntry = "ambrel_create_media_framework";

extern "C" {
// Makes the module's framework for a program built with interfaces of version abi: a
// new object the caller deletes, or null when the versions differ or the framework does
// not start. Never throws.
typedef IMediaFramework* TMediaModuleEntry(unsigned abi);
}

}  // namespace ambrel::media
