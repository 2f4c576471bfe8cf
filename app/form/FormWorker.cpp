#include "app/form/FormWorker.h"

#include <exception>
#include <string>

#include "app/form/AnalysisForm.h"

namespace ambrel {

TFormWorker::~TFormWorker() { Join(); }

void TFormWorker::Start() { FThread = std::thread([this] { Run(); }); }

void TFormWorker::Join() {
  if (FThread.joinable()) FThread.join();
}

void TFormWorker::Run() {
  try {
    Execute();
  } catch (const std::exception& error) {
    // A section failed without reporting it itself: say so, and still end the busy state.
    const std::string line = std::string("Error : ") + error.what();
    HandOff([&] { FForm.AddStatusLine(line); });
  } catch (...) {
    HandOff([&] { FForm.AddStatusLine("Error : unknown failure"); });
  }
  HandOff([&] { FForm.UnlockControls(); });
  FForm.WorkerEnded();
}

void TFormWorker::RunSteps(std::initializer_list<TStep> Steps) {
  for (const TStep& step : Steps) {
    if (FForm.StopRequested()) return;
    if (step.OnMainThread) {
      HandOff(step.Run);
    } else {
      step.Run();
    }
  }
}

void TFormWorker::HandOff(const std::function<void()>& Step) { FForm.HandOff(Step); }

}  // namespace ambrel
