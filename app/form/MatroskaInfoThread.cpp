#include "app/form/MatroskaInfoThread.h"

#include "app/analysis/Analysis.h"
#include "app/analysis/AnalysisContext.h"
#include "app/analysis/SectionsReader.h"
#include "app/form/AnalysisForm.h"
#include "dshow/FrameworkSections.h"

namespace ambrel {

namespace {

// The report sections, with the window told after each step.
class TWindowReader : public TSectionsReader {
 public:
  // Runs a step on the main thread (unless the window is closing).
  using TStepRunner = std::function<void(std::function<void()>)>;
  TWindowReader(TReportWriters& Writers, const TAnalysisContext& Context, TAnalysisForm& Form, TStepRunner OnMain)
      : TSectionsReader(Writers.FReportWriter, Writers.FParsingLog, Context), FForm(Form), FOnMain(std::move(OnMain)) {}

  void FileDone() override {
    FOnMain([this] { FForm.UpdateReport(); });
    FOnMain([this] { FForm.LogParsingDone(); });
  }
  void RenderFileChecked(const TRenderFileCheck& Check) override {
    TSectionsReader::RenderFileChecked(Check);
    FOnMain([this] { FForm.LogRenderFileCheckDone(); });
    FStopped = Check.Stopped;
  }
  void Rendered(const TRenderRun& Run) override {
    TSectionsReader::Rendered(Run);
    FOnMain([this] { FForm.UpdateReport(); });
    FOnMain([this] { FForm.LogDetailedRenderingDone(); });
    // A framework that stopped says why in the status box, once.
    if (FStopped.empty()) FStopped = Run.Stopped;
    if (!FStopped.empty()) FOnMain([this] { FForm.AddStatusLine(FStopped); });
    if (const std::string line = PlaybackStatusLine(Verdict(Run)); !line.empty())
      FOnMain([this, line] { FForm.AddStatusLine(line); });
  }

 private:
  TAnalysisForm& FForm;
  TStepRunner FOnMain;
  std::string FStopped;  // why the framework stopped, when it did
};

}  // namespace

void TMatroskaInfoThread::Execute() {
  TAnalysisForm& form = Form();
  // The framework lives on this thread for this run only.
  const std::unique_ptr<IFrameworkSections> framework = form.CreateFrameworkSections();
  TAnalysisContext context = form.Tables();
  context.Framework = framework.get();
  // Closing the window stops the parse at its next element, and the analysis after it.
  TParseControl control;
  control.Cancel = &form.StopFlag();
  control.OnProgress = form.OnParseProgress();
  TWindowReader reader(form.Writers(), context, form, [this](std::function<void()> Step) { RunSteps({OnMain(std::move(Step))}); });
  TAnalysis(form.FileName(), context, true, &control).Run(reader);
}

}  // namespace ambrel
