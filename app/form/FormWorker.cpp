#include "app/window/WorkerThread.h"

#include <exception>

#include "app/window/frmMain.h"

namespace ambrel {

void TWorkerThread::run() {
  try {
    Execute();
  } catch (const std::exception& error) {
    // A section failed without reporting it itself: say so, and still end the busy state.
    const QString line = "Error : " + QString::fromUtf8(error.what());
    HandOff([&] { FForm.AddStatusLine(line); });
  } catch (...) {
    HandOff([&] { FForm.AddStatusLine("Error : unknown failure"); });
  }
  HandOff([&] { FForm.UnlockControls(); });
}

void TWorkerThread::RunSteps(std::initializer_list<TStep> Steps) {
  for (const TStep& step : Steps) {
    if (FForm.StopRequested()) return;
    if (step.OnMainThread) {
      HandOff(step.Run);
    } else {
      step.Run();
    }
  }
}

void TWorkerThread::HandOff(const std::function<void()>& Step) { FForm.HandOff(Step); }

}  // namespace ambrel
