#include "app/MatroskaInfoThread.h"

#include "app/MatroskaReport.h"
#include "app/MediaSections.h"
#include "app/frmMain.h"

namespace ambrel {

void TMatroskaInfoThread::Execute() {
  TMainForm& form = Form();
  TReportWriters& writers = form.Writers();
  const std::string& file = form.FileName();
  RunSteps({
      OnWorker([&] { WriteMatroskaInfo(file, writers.FReportWriter, writers.FParsingLog, form.FriendlyNames()); }),
      OnMain([&] { form.UpdateReport(); }),
      OnMain([&] { form.LogParsingDone(); }),
      OnWorker([&] { RunRenderFileCheckSection(file, writers.FReportWriter); }),
      OnMain([&] { form.LogRenderFileCheckDone(); }),
      OnWorker([&] { RunDetailedRenderingSection(file, writers.FReportWriter); }),
      OnMain([&] { form.UpdateReport(); }),
      OnMain([&] { form.LogDetailedRenderingDone(); }),
  });
}

}  // namespace ambrel
