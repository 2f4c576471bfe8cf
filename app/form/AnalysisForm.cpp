#include "app/form/AnalysisForm.h"

#include <clocale>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "app/form/MatroskaInfoThread.h"
#include "app/form/SystemInfoThread.h"
#include "base/Utf8Path.h"
#include "report/RtfWriter.h"

namespace ambrel {

namespace {

// The last part of a path: after its last '/' (or '\' on Windows).
std::string_view BaseName(std::string_view Path) {
#ifdef _WIN32
  const size_t slash = Path.find_last_of("/\\");
#else
  const size_t slash = Path.rfind('/');
#endif
  return slash == std::string_view::npos ? Path : Path.substr(slash + 1);
}

bool EndsWithTxt(std::string_view Name) {
  if (Name.size() < 4) return false;
  std::string tail(Name.substr(Name.size() - 4));
  for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return tail == ".txt";
}

}  // namespace

TAnalysisForm::TAnalysisForm(TAnalysisFormOptions Options, IFormView& View)
    : FOptions(std::move(Options)), FView(View), FMainThread(std::this_thread::get_id()) {
  if (FOptions.FileVersion.empty()) FOptions.FileVersion = AMBREL_FILE_VERSION;
  if (FOptions.RichText) {
    FReportRich = std::make_unique<TRtfWriter>();
    FSysInfoRich = std::make_unique<TRtfWriter>();
    FWriters.FReportWriter.AddWriter(FReportRich.get());
    FWriters.FSysInfoWriter.AddWriter(FSysInfoRich.get());
  }
}

TAnalysisForm::~TAnalysisForm() {
  // The workers use the writers and the tables: they must end first.
  WaitForWorker();
}

void TAnalysisForm::Start() {
  // Report numbers always use a point, whatever the user's locale says.
  std::setlocale(LC_NUMERIC, "C");
  FCaption = "Ambrel " + FOptions.FileVersion;
  FView.SetCaption(FCaption);
  // A data file beside the executable that cannot be used is said in the status box; the
  // embedded table takes its place.
  std::ostringstream loadErrors;
  FTables = std::make_unique<TAnalysisTables>(FOptions.ExeDir, loadErrors, TCodecDbChoice{}, "");
  std::istringstream lines(loadErrors.str());
  for (std::string line; std::getline(lines, line);) AddStatusLine(line);
  if (FOptions.ChooseReportFolder) FReportFolder = FOptions.ChooseReportFolder(FOptions.ExeDir, &FReportProblem);
  FView.ShowStartPage(FOptions.Arguments.empty());
  if (!FOptions.Arguments.empty()) AnalyzeFile(FOptions.Arguments.front());
}

void TAnalysisForm::Close() { WaitForWorker(); }

std::unique_ptr<IFrameworkSections> TAnalysisForm::CreateFrameworkSections() const {
  if (FOptions.FrameworkSections) return FOptions.FrameworkSections();
  return std::make_unique<TLocalFrameworkSections>([this] { return CreateMediaFramework(); });
}

std::unique_ptr<media::IMediaFramework> TAnalysisForm::CreateMediaFramework() const {
  auto framework = FOptions.MediaFramework ? FOptions.MediaFramework() : nullptr;
  return framework ? std::move(framework) : media::CreateNoMediaFramework();
}

void TAnalysisForm::AnalyzeFile(const std::string& FileName) {
  if (FBusy) return;
  SetBusy(true);
  AddStatusLine("Gathering info about : " + FileName);
  FView.SetCaption(FCaption + " - " + std::string(BaseName(FileName)));
  FFileName = FileName;
  StartWorker(std::make_unique<TMatroskaInfoThread>(*this));
}

void TAnalysisForm::DropFiles(const std::vector<std::string>& FileNames) {
  if (FBusy || FileNames.empty()) return;
  const std::string& name = FileNames.front();
  std::error_code error;
  if (!name.empty() && std::filesystem::is_regular_file(Utf8Path(name), error)) AnalyzeFile(name);
}

void TAnalysisForm::SystemInfoTicked(bool Ticked) {
  if (FBusy) return;
  FWithSystemInfo = Ticked;
  if (!Ticked || FSystemInfoDone) {
    UpdateReport();
    return;
  }
  AddStatusLine("Gathering system information, please wait...");
  SetBusy(true);
  StartWorker(std::make_unique<TSystemInfoThread>(*this));
}

void TAnalysisForm::SetBusy(bool Busy) {
  FBusy = Busy;
  FView.SetBusy(Busy, !Busy && !FFileName.empty());
}

void TAnalysisForm::StartWorker(std::unique_ptr<TFormWorker> Worker) {
  // The previous worker has handed back the controls and is about to end.
  if (FWorker) FWorker->Join();
  FStopRequested = false;
  {
    std::lock_guard lock(FMutex);
    FWorkerEnded = false;
  }
  FWorker = std::move(Worker);
  FWorker->Start();
}

void TAnalysisForm::WaitForWorker() {
  if (!FWorker) return;
  FStopRequested = true;
  // The worker hands its last steps to this thread, so keep serving them while waiting.
  for (;;) {
    std::unique_lock lock(FMutex);
    FChanged.wait(lock, [this] { return FPendingStep != nullptr || FWorkerEnded; });
    if (!FPendingStep) break;
    lock.unlock();
    RunHandedOffStep();
  }
  FWorker->Join();
  FWorker.reset();
}

void TAnalysisForm::HandOff(const std::function<void()>& Step) {
  if (std::this_thread::get_id() == FMainThread) {
    Step();
    return;
  }
  std::unique_lock lock(FMutex);
  FPendingStep = &Step;
  FStepDone = false;
  FChanged.notify_all();
  lock.unlock();
  FView.WakeMainThread();
  lock.lock();
  FChanged.wait(lock, [this] { return FStepDone; });
}

void TAnalysisForm::RunHandedOffStep() {
  std::unique_lock lock(FMutex);
  const std::function<void()>* step = FPendingStep;
  if (!step) return;
  FPendingStep = nullptr;
  lock.unlock();
  (*step)();
  lock.lock();
  FStepDone = true;
  FChanged.notify_all();
}

void TAnalysisForm::WorkerEnded() {
  std::lock_guard lock(FMutex);
  FWorkerEnded = true;
  FChanged.notify_all();
}

void TAnalysisForm::LogSystemInfoDone() {
  AddStatusLine("Gathering general system information done.");
  FSystemInfoDone = true;
}

void TAnalysisForm::LogDirectShowInfoDone() { AddStatusLine("Gathering DirectShow information done."); }
void TAnalysisForm::LogParsingDone() { AddStatusLine("Parsing Matroska file done."); }
void TAnalysisForm::LogRenderFileCheckDone() { AddStatusLine("DirectShow RenderFile check done."); }
void TAnalysisForm::LogDetailedRenderingDone() { AddStatusLine("DirectShow detailed rendering done."); }

void TAnalysisForm::UpdateReport() {
  THTMLWriter page;
  FWriters.BuildHtmlPage(FWithSystemInfo, page);
  TTxtWriter text;
  FWriters.BuildTextReport(FWithSystemInfo, text);
  SaveReports(page, text);
  std::string rich;
  if (FReportRich) {
    rich = RtfDocument({FReportRich->GetStream().Bytes(),
                        FWithSystemInfo ? FSysInfoRich->GetStream().Bytes() : std::string_view()});
  }
  // The views show the text without its byte-order mark.
  const std::string pageBytes = page.GetText();
  const std::string textBytes = text.GetText();
  const std::string log = FWriters.FParsingLog.GetText();
  FView.ShowReports({pageBytes, std::string_view(textBytes).substr(3), log, rich});
}

void TAnalysisForm::SaveReports(THTMLWriter& Page, TTxtWriter& Text) {
  // Every save is said: where the reports went, or why they could not be written. A run
  // saves more than once; it says how its last save went, after its own status lines.
  std::vector<std::string> saved, lines;
  if (FReportFolder.empty()) {
    lines.push_back("The reports are not saved: " + FReportProblem + ".");
  } else {
    for (const auto& [writer, name] : {std::pair<TLogWriter*, std::string>{&Page, "Report.html"}, {&Text, "Report.txt"}}) {
      const std::string why = FOptions.WriteReportFile(FReportFolder + name, writer->GetStream().Bytes());
      if (why.empty()) {
        saved.push_back(name);
      } else {
        lines.push_back("Cannot write " + FReportFolder + name + ": " + why + ".");
      }
    }
  }
  if (!saved.empty()) {
    lines.push_back(saved.size() > 1 ? saved[0] + " and " + saved[1] + " are saved in " + FReportFolder
                                     : saved[0] + " is saved in " + FReportFolder);
  }
  FSaveNote.clear();
  for (const std::string& line : lines) FSaveNote += (FSaveNote.empty() ? "" : "\n") + line;
  if (!FBusy) SayHowTheReportsWereSaved();
}

void TAnalysisForm::SayHowTheReportsWereSaved() {
  if (!FSaveNote.empty()) AddStatusLine(FSaveNote);
  FSaveNote.clear();
}

void TAnalysisForm::UnlockControls() {
  SetBusy(false);
  // A window that is closing has no one to tell.
  if (!FStopRequested) SayHowTheReportsWereSaved();
}

std::string TAnalysisForm::SuggestedSaveName() const {
  // The name without its last extension, as the file dialog suggests it.
  std::string base(BaseName(FFileName));
  const size_t dot = base.rfind('.');
  if (dot != std::string::npos) base.resize(dot);
  return base + ".html";
}

void TAnalysisForm::SaveReportAs(const std::string& FileName, bool TextChosen) {
  if (FileName.empty() || FBusy) return;
  std::string why;
  if (TextChosen || EndsWithTxt(FileName)) {
    TTxtWriter report;
    FWriters.BuildTextReport(FWithSystemInfo, report);
    why = FOptions.WriteReportFile(FileName, report.GetStream().Bytes());
  } else {
    THTMLWriter report;
    FWriters.BuildHtmlPage(FWithSystemInfo, report);
    why = FOptions.WriteReportFile(FileName, report.GetStream().Bytes());
  }
  AddStatusLine(why.empty() ? "Report saved as " + FileName : "Cannot write " + FileName + ": " + why + ".");
}

bool TAnalysisForm::OpensOutside(std::string_view Url) { return Url.find("http://") != std::string_view::npos; }

}  // namespace ambrel
