// A platform whose framework cannot be read without starting it: no class is found. The
// GStreamer build answers from the plugin registry's cache instead
// (media/gst/GstRegistryFiles.cpp).
#include "media/FrameworkFiles.h"

#ifndef AMBREL_FRAMEWORK_FILES_ELSEWHERE
namespace ambrel::media {

std::optional<TFilterServerFile> FindFilterServerWithoutFramework(const std::string&) { return std::nullopt; }

}  // namespace ambrel::media
#endif
