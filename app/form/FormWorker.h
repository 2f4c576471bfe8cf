// The base of the form's workers: runs the steps of one run on a thread of its own, in
// order, each on the worker or handed to the main thread (the worker waiting until it has
// run), stops early when the window is closing, and always gives the controls back at
// its end.
#pragma once

#include <functional>
#include <initializer_list>
#include <thread>

namespace ambrel {

class TAnalysisForm;

class TFormWorker {
 public:
  explicit TFormWorker(TAnalysisForm& Form) : FForm(Form) {}
  virtual ~TFormWorker();
  TFormWorker(const TFormWorker&) = delete;
  TFormWorker& operator=(const TFormWorker&) = delete;

  void Start();
  // Waits until the thread has ended.
  void Join();

 protected:
  struct TStep {
    bool OnMainThread;
    std::function<void()> Run;
  };
  static TStep OnWorker(std::function<void()> Run) { return {false, std::move(Run)}; }
  static TStep OnMain(std::function<void()> Run) { return {true, std::move(Run)}; }

  // The run's own steps, passed to RunSteps.
  virtual void Execute() = 0;
  void RunSteps(std::initializer_list<TStep> Steps);
  TAnalysisForm& Form() { return FForm; }

 private:
  void Run();
  void HandOff(const std::function<void()>& Step);

  TAnalysisForm& FForm;
  std::thread FThread;
};

}  // namespace ambrel
