#include "app/MatroskaInfoThread.h"

#include "app/AnalysisContext.h"

#include "app/MatroskaReport.h"
#include "app/MediaSections.h"
#include "app/frmMain.h"

namespace ambrel {

void TMatroskaInfoThread::Execute() {
  TMainForm& form = Form();
  TReportWriters& writers = form.Writers();
  const std::string& file = form.FileName();
  const TAnalysisContext context{form.FriendlyNames(), form.CodecDB()};
  // Closing the window stops the parse at its next element.
  TParseControl control;
  control.Cancel = &form.StopFlag();
  RunSteps({
      OnWorker([&] { WriteMatroskaInfo(file, writers.FReportWriter, writers.FParsingLog, context, &control); }),
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
