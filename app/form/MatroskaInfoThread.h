// The analysis of one file: the file report, then the media framework's checks.
#pragma once

#include "app/form/FormWorker.h"

namespace ambrel {

class TMatroskaInfoThread : public TFormWorker {
 public:
  using TFormWorker::TFormWorker;

 protected:
  void Execute() override;
};

}  // namespace ambrel
