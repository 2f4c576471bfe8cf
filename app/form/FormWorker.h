// The base of the window's worker threads: runs the steps of one run in order, each on
// the worker or handed to the main thread (the worker waiting until it has run), stops
// early when the window is closing, and always gives the controls back at its end.
#pragma once

#include <QThread>
#include <functional>
#include <initializer_list>

namespace ambrel {

class TMainForm;

class TWorkerThread : public QThread {
 public:
  explicit TWorkerThread(TMainForm& Form) : FForm(Form) {}

 protected:
  struct TStep {
    bool OnMainThread;
    std::function<void()> Run;
  };
  static TStep OnWorker(std::function<void()> Run) { return {false, std::move(Run)}; }
  static TStep OnMain(std::function<void()> Run) { return {true, std::move(Run)}; }

  void run() final;
  // The run's own steps, passed to RunSteps.
  virtual void Execute() = 0;
  void RunSteps(std::initializer_list<TStep> Steps);
  TMainForm& Form() { return FForm; }

 private:
  void HandOff(const std::function<void()>& Step);

  TMainForm& FForm;
};

}  // namespace ambrel
