#include "app/window/MatroskaInfoThread.h"

#include "app/analysis/AnalysisContext.h"
#include "app/analysis/MatroskaReport.h"
#include "app/window/frmMain.h"
#include "dshow/FrameworkSections.h"

namespace ambrel {

void TMatroskaInfoThread::Execute() {
  TMainForm& form = Form();
  TReportWriters& writers = form.Writers();
  const std::string& file = form.FileName();
  // The framework lives on this thread for this run only.
  const std::unique_ptr<IFrameworkSections> framework = form.CreateFrameworkSections();
  const TAnalysisContext context{form.FriendlyNames(), form.CodecDB(), framework.get()};
  TRenderAnswers answers;
  // A framework that stopped says why in the status box.
  const auto sayWhyStopped = [&] {
    if (!answers.Stopped.empty()) form.AddStatusLine(QString::fromStdString(answers.Stopped));
  };
  // Closing the window stops the parse at its next element.
  TParseControl control;
  control.Cancel = &form.StopFlag();
  RunSteps({
      OnWorker([&] { WriteMatroskaInfo(file, writers.FReportWriter, writers.FParsingLog, context, &control); }),
      OnMain([&] { form.UpdateReport(); }),
      OnMain([&] { form.LogParsingDone(); }),
      OnWorker([&] { framework->WriteRenderFileCheck(file, writers.FReportWriter, answers); }),
      OnMain([&] { form.LogRenderFileCheckDone(); }),
      OnWorker([&] { framework->WriteDetailedRendering(file, writers.FReportWriter, answers); }),
      OnMain([&] { form.UpdateReport(); }),
      OnMain([&] { form.LogDetailedRenderingDone(); }),
      OnMain(sayWhyStopped),
  });
}

}  // namespace ambrel
