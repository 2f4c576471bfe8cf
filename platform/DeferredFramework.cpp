#include "platform/DeferredFramework.h"

namespace ambrel::media {

TDeferredFramework::TDeferredFramework(TMake make)
    : FStart([this, make = std::move(make)] {
        std::unique_ptr<IMediaFramework> made;
        try {
          made = make();
        } catch (...) {
          made.reset();
        }
        if (!made) made = CreateNoMediaFramework();
        std::lock_guard lock(FLock);
        FMade = std::move(made);
        if (FAnnounced) FMade->PrepareRenderFile(*FAnnounced);
        FAnnounced.reset();
      }) {}

TDeferredFramework::~TDeferredFramework() { Started(); }

IMediaFramework& TDeferredFramework::Started() const {
  // FMade is set before the start thread ends and never changes after: joining orders
  // that write before every caller's reads.
  std::call_once(FJoined, [this] { FStart.join(); });
  return *FMade;
}

void TDeferredFramework::PrepareRenderFile(const std::u16string& fileName) {
  std::lock_guard lock(FLock);
  if (FMade) {
    FMade->PrepareRenderFile(fileName);
  } else {
    FAnnounced = fileName;
  }
}

}  // namespace ambrel::media
