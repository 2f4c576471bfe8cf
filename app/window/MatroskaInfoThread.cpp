#include "app/window/MatroskaInfoThread.h"

#include "app/analysis/AnalysisContext.h"
#include "app/analysis/MatroskaReport.h"
#include "app/window/frmMain.h"
#include "dshow/DShowSections.h"

namespace ambrel {

void TMatroskaInfoThread::Execute() {
  TMainForm& form = Form();
  TReportWriters& writers = form.Writers();
  const std::string& file = form.FileName();
  // The framework lives on this thread for this run only.
  const std::unique_ptr<media::IMediaFramework> framework = form.CreateMediaFramework();
  const TAnalysisContext context{form.FriendlyNames(), form.CodecDB(), framework.get()};
  // Closing the window stops the parse at its next element.
  TParseControl control;
  control.Cancel = &form.StopFlag();
  control.OnProgress = form.OnParseProgress();
  RunSteps({
      OnWorker([&] { WriteMatroskaInfo(file, writers.FReportWriter, writers.FParsingLog, context, &control); }),
      OnMain([&] { form.UpdateReport(); }),
      OnMain([&] { form.LogParsingDone(); }),
      OnWorker([&] { WriteRenderFileCheckSection(file, writers.FReportWriter, *framework); }),
      OnMain([&] { form.LogRenderFileCheckDone(); }),
      OnWorker([&] { WriteDetailedRenderingSection(file, writers.FReportWriter, *framework); }),
      OnMain([&] { form.UpdateReport(); }),
      OnMain([&] { form.LogDetailedRenderingDone(); }),
  });
}

}  // namespace ambrel
