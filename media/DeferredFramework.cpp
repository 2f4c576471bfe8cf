#include "media/DeferredFramework.h"

#include <system_error>

namespace ambrel::media {

TDeferredFramework::TDeferredFramework(TMake make, TFrameworkStart start) {
  if (start == TFrameworkStart::FirstQuestion)
    FMakeOnQuestion = std::move(make);
  else
    try {
      FStart = std::thread([this, make] { Start(make); });
    } catch (const std::system_error&) {
      // No thread to spare: the first question starts it instead.
      FMakeOnQuestion = std::move(make);
    }
}

TDeferredFramework::~TDeferredFramework() {
  if (FStart.joinable()) Started();
}

void TDeferredFramework::Start(const TMake& make) {
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
}

IMediaFramework& TDeferredFramework::Started() const {
  // FMade is set once, before the start thread ends or the first question's start
  // returns, and never changes after: the once flag orders that write before every
  // caller's reads.
  std::call_once(FJoined, [this] {
    if (FStart.joinable())
      FStart.join();
    else
      const_cast<TDeferredFramework*>(this)->Start(FMakeOnQuestion);
  });
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
