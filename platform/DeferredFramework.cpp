#include "platform/DeferredFramework.h"

namespace ambrel::media {

TDeferredFramework::TDeferredFramework(TMake make)
    : FStart([this, make = std::move(make)] {
        try {
          FMade = make();
        } catch (...) {
          FMade.reset();
        }
      }) {}

TDeferredFramework::~TDeferredFramework() { Started(); }

IMediaFramework& TDeferredFramework::Started() const {
  // The start thread writes FMade before it ends; joining orders that write before the
  // reads of every caller.
  std::call_once(FJoined, [this] {
    FStart.join();
    if (!FMade) FMade = CreateNoMediaFramework();
  });
  return *FMade;
}

}  // namespace ambrel::media
