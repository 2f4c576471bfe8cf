// The base of the window's worker threads: runs the steps of one run on its own thread,
// hands every step that touches the window to the main thread, and always gives the
// controls back at its end.
#pragma once

#include <QThread>
#include <functional>

namespace ambrel {

class TMainForm;

class TWorkerThread : public QThread {
 public:
  explicit TWorkerThread(TMainForm& Form) : FForm(Form) {}

 protected:
  void run() final;
  // The run's own steps.
  virtual void Execute() = 0;
  // Runs Step on the main thread and waits until it has finished.
  void HandOff(const std::function<void()>& Step);
  TMainForm& Form() { return FForm; }

 private:
  TMainForm& FForm;
};

}  // namespace ambrel
