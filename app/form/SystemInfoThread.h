// The gathering of the system information: the system facts, then the installed media
// filters. It runs once per program run.
#pragma once

#include "app/window/WorkerThread.h"

namespace ambrel {

class TSystemInfoThread : public TWorkerThread {
 public:
  using TWorkerThread::TWorkerThread;

 protected:
  void Execute() override;
};

}  // namespace ambrel
