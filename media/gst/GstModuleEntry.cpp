// The entry point of the GStreamer module: the only symbol it exports.
#include <new>

#include "media/MediaModule.h"

extern "C" __attribute__((visibility("default"))) ambrel::media::IMediaFramework* ambrel_create_media_framework(
    unsigned abi) {
  using namespace ambrel::media;
  static_assert(std::is_same_v<decltype(ambrel_create_media_framework), TMediaModuleEntry>);
  if (abi != kMediaModuleAbi) return nullptr;
  try {
    return CreateGStreamerFramework().release();
  } catch (...) {
    return nullptr;  // no exception crosses into the program, whose runtime may be another
  }
}
