// The GStreamer framework shared by the backend's tests, and skipping when a plugin that a
// test needs is not installed.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "media/MediaFramework.h"

namespace ambrel::testing {

using namespace media;

inline IMediaFramework& Gst() {
  static const std::unique_ptr<IMediaFramework> framework = CreateGStreamerFramework();
  return *framework;
}

// The class id of an element factory.
inline GUID FactoryClsid(const std::string& factory) {
  return NameBasedGuid(kUrlNamespace, "gstreamer-element:" + factory);
}

// The registered filter of a factory, when installed.
inline ComPtr<IMoniker> FactoryMoniker(const std::string& factory) {
  ComPtr<IBindCtx> ctx;
  Gst().CreateBindCtx(0, ctx);
  ComPtr<IMoniker> moniker;
  Gst().MkParseDisplayName(ctx.Get(),
                           u"@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\" + GuidToWString(FactoryClsid(factory)),
                           moniker);
  return moniker;
}

inline std::string MissingOf(std::initializer_list<const char*> factories) {
  std::string missing;
  for (const char* f : factories)
    if (!FactoryMoniker(f)) missing += std::string(missing.empty() ? "" : ", ") + f;
  return missing;
}

}  // namespace ambrel::testing

// Skips the test when one of the element factories is not installed.
#define REQUIRE_FACTORIES(...)                                                              \
  do {                                                                                      \
    const std::string missing = ::ambrel::testing::MissingOf({__VA_ARGS__});                \
    if (!missing.empty()) GTEST_SKIP() << "GStreamer plugins not installed: " << missing;   \
  } while (0)
