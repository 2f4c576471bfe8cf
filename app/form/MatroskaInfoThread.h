// The analysis of one file: the file report, then the media framework's checks.
#pragma once

#include "app/window/WorkerThread.h"

namespace ambrel {

class TMatroskaInfoThread : public TWorkerThread {
 public:
  using TWorkerThread::TWorkerThread;

 protected:
  void Execute() override;
};

}  // namespace ambrel
