// The gathering of the system information: the system facts, then the installed media
// filters. It runs once per program run.
#pragma once

#include "app/form/FormWorker.h"

namespace ambrel {

class TSystemInfoThread : public TFormWorker {
 public:
  using TFormWorker::TFormWorker;

 protected:
  void Execute() override;
};

}  // namespace ambrel
