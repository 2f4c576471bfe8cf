// The main window's behaviour, whatever toolkit draws it: the file intake (button, drops,
// command line), the busy state while a worker runs, the status lines, the "Add system
// info" tick and its one-time gathering, the assembled reports, their saving and "Save
// report as", and the caption. A window is a view over it: it shows what the form tells
// it (IFormView) and passes the user's actions on. Text is UTF-8 throughout.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/analysis/AnalysisTables.h"
#include "app/analysis/ReportAssembly.h"
#include "dshow/FrameworkSections.h"
#include "media/MediaFramework.h"
#include "sysinfo/DxDiagHelper.h"

namespace ambrel {

class TFormWorker;

// The file dialog's filter for "Open Matroska file": "Name|Patterns|..." pairs.
inline constexpr char kOpenDialogFilter[] =
    "Matroska file|*.MKV;*.MKA;*.MKS|Matroska video file|*.MKV|Matroska audio file|*.MKA|"
    "Matroska subtitle file|*.MKS|All files|*.*";

// The reports as the views show them.
struct TFormReports {
  const std::string& Page;        // the HTML page, as saved in Report.html
  std::string_view Text;          // the text report without its byte-order mark
  const std::string& ParsingLog;  // the parsing log
  const std::string& RichText;    // the page as rich text; empty unless the form was asked for it
};

// What the form tells the window. Every call but WakeMainThread comes on the main thread.
class IFormView {
 public:
  virtual ~IFormView() = default;
  virtual void SetCaption(const std::string& Caption) = 0;
  virtual void AddStatusLine(const std::string& Line) = 0;
  // Busy: the buttons, the tick and drops refuse input and the progress bar cycles.
  // CanSave: "Save report as" has a report to save.
  virtual void SetBusy(bool Busy, bool CanSave) = 0;
  // The HTML view before any report: the welcome page, or a blank one when a file is
  // analysed at start.
  virtual void ShowStartPage(bool Welcome) = 0;
  virtual void ShowReports(const TFormReports& Reports) = 0;
  // Called on a worker: the main thread should call TAnalysisForm::RunHandedOffStep soon.
  virtual void WakeMainThread() = 0;
};

struct TAnalysisFormOptions {
  std::vector<std::string> Arguments;  // the command line after the program name
  // Where the data files are looked for, and where the reports are saved when it can be
  // written (ChooseReportFolder decides).
  std::string ExeDir;
  // The machine whose system information is gathered.
  TDxDiagProviderFactory SystemInfoProvider;
  // The media framework of each worker run, made on its thread; empty: none.
  std::function<std::unique_ptr<media::IMediaFramework>()> MediaFramework;
  // Who answers the file analysis's framework questions; empty: MediaFramework, in this
  // process.
  std::function<std::unique_ptr<IFrameworkSections>()> FrameworkSections;
  // Called on the worker as the parse of a file moves on (position, file size); optional.
  std::function<void(int64_t, int64_t)> OnParseProgress;
  // The folder Report.html and Report.txt go to, ending in a separator; empty when there
  // is none, with why in *Problem.
  std::function<std::string(const std::string& ExeDir, std::string* Problem)> ChooseReportFolder;
  // Writes Bytes to the file Path; returns why it could not, or nothing.
  std::function<std::string(const std::string& Path, std::string_view Bytes)> WriteReportFile;
  // The views also get the report as rich text.
  bool RichText = false;
  // The program's file version for the caption; empty: this build's.
  std::string FileVersion;
};

class TAnalysisForm {
 public:
  TAnalysisForm(TAnalysisFormOptions Options, IFormView& View);
  ~TAnalysisForm();
  TAnalysisForm(const TAnalysisForm&) = delete;
  TAnalysisForm& operator=(const TAnalysisForm&) = delete;

  // Sets the caption, loads the tables, shows the start page and analyses the first
  // argument, if any. Called once the view can show things.
  void Start();
  // Ends the run: asks a running worker to stop and waits for it, serving its hand-offs.
  void Close();

  // The user's actions. Each is ignored while busy.
  void AnalyzeFile(const std::string& FileName);
  // Takes the first of the dropped names when it is an existing regular file.
  void DropFiles(const std::vector<std::string>& FileNames);
  void SystemInfoTicked(bool Ticked);
  // Writes the report to FileName: as text when TextChosen or the name ends in ".txt",
  // else as the HTML page. An empty name (cancelled) writes nothing.
  void SaveReportAs(const std::string& FileName, bool TextChosen);
  // "Save report as" offers this name (without folder): the file's name with ".html".
  std::string SuggestedSaveName() const;
  // True for a link the user's browser opens rather than the view.
  static bool OpensOutside(std::string_view Url);

  bool IsBusy() const { return FBusy; }
  bool SystemInfoShown() const { return FWithSystemInfo; }
  // Set when the window closes while a worker runs: the worker skips its remaining steps.
  bool StopRequested() const { return FStopRequested; }
  const std::atomic<bool>& StopFlag() const { return FStopRequested; }
  // Runs the step a worker handed to the main thread, if any (the view calls it after
  // WakeMainThread).
  void RunHandedOffStep();

  // What the workers read and write.
  TReportWriters& Writers() { return FWriters; }
  TAnalysisContext Tables() const { return FTables->Context(); }
  const std::string& FileName() const { return FFileName; }
  const TDxDiagProviderFactory& SystemInfoProvider() const { return FOptions.SystemInfoProvider; }
  std::unique_ptr<IFrameworkSections> CreateFrameworkSections() const;
  const std::function<void(int64_t, int64_t)>& OnParseProgress() const { return FOptions.OnParseProgress; }

  // Runs Step on the main thread; a worker waits there until it has finished.
  void HandOff(const std::function<void()>& Step);
  // The status steps and the report, run on the main thread.
  void AddStatusLine(const std::string& Line) { FView.AddStatusLine(Line); }
  void LogSystemInfoDone();
  void LogDirectShowInfoDone();
  void LogParsingDone();
  void LogRenderFileCheckDone();
  void LogDetailedRenderingDone();
  void UpdateReport();
  // Ends the busy state at the end of a worker's run.
  void UnlockControls();
  // Called by a worker as its last act.
  void WorkerEnded();

 private:
  std::unique_ptr<media::IMediaFramework> CreateMediaFramework() const;
  void SetBusy(bool Busy);
  void StartWorker(std::unique_ptr<TFormWorker> Worker);
  void WaitForWorker();
  void SaveReports(THTMLWriter& Page, TTxtWriter& Text);
  void SayHowTheReportsWereSaved();

  TAnalysisFormOptions FOptions;
  IFormView& FView;
  TReportWriters FWriters;
  std::unique_ptr<TLogWriter> FReportRich, FSysInfoRich;  // when the view shows rich text
  std::unique_ptr<TAnalysisTables> FTables;
  std::string FFileName;
  std::string FCaption;        // the program's name and version
  std::string FReportFolder;   // where Report.html and Report.txt go; empty: nowhere
  std::string FReportProblem;  // why there is no such folder
  std::string FSaveNote;       // how the last save went, until the status box says it
  bool FWithSystemInfo = false;
  bool FSystemInfoDone = false;
  bool FBusy = false;
  std::atomic<bool> FStopRequested{false};
  const std::thread::id FMainThread;
  std::unique_ptr<TFormWorker> FWorker;
  // The hand-off of a step from the worker: the step waiting, whether it has run, whether
  // the worker has ended.
  std::mutex FMutex;
  std::condition_variable FChanged;
  const std::function<void()>* FPendingStep = nullptr;
  bool FStepDone = false;
  bool FWorkerEnded = true;
};

}  // namespace ambrel
