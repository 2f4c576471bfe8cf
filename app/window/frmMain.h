// The main window: the three report views, the status box, the file intake (button,
// drops, command line), the "Add system info" check box and the busy state while a
// worker thread runs an analysis or gathers the system information.
#pragma once

#include <QCheckBox>
#include <QString>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "app/analysis/FriendlyNames.h"
#include "app/analysis/ReportAssembly.h"
#include "app/window/ReportBrowser.h"
#include "codecdb/XmlCodecDB.h"
#include "dshow/FrameworkSections.h"
#include "media/MediaFramework.h"
#include "sysinfo/DxDiagHelper.h"

namespace ambrel {

// What the user chose in the "Save report as" dialog: the file's name (empty: cancelled)
// and the name filter chosen with it.
struct TSaveChoice {
  QString FileName;
  QString Filter;
};

struct TMainFormOptions {
  QStringList Arguments;  // the command line after the program name
  // Where the data files are looked for and the reports are saved: beside the executable
  // (the reports go to the user's data folder when it cannot be written).
  std::string ExeDir;
  // The machine whose system information is gathered.
  TDxDiagProviderFactory SystemInfoProvider;
  // The media framework the rendering checks and filter lists ask; each worker run makes
  // its own on its thread.
  std::function<std::unique_ptr<media::IMediaFramework>()> MediaFramework;
  // Who answers the file analysis's framework questions (the proposed filters, the
  // rendering sections); empty: MediaFramework, in this process.
  std::function<std::unique_ptr<IFrameworkSections>()> FrameworkSections;
  // Called on the worker as the parse of a file moves on (position, file size); optional.
  std::function<void(int64_t, int64_t)> OnParseProgress;
  // Restore the window's size and place from the last run and keep them at close.
  bool RememberGeometry = false;
  // Asks where "Save report as" writes, offering Suggested and the name Filters;
  // empty: the file dialog asks.
  std::function<TSaveChoice(const QString& Suggested, const QStringList& Filters)> ChooseSaveName;
};

// The options of the running program.
TMainFormOptions DefaultMainFormOptions(const QStringList& Arguments);

class TMainForm : public QWidget {
  Q_OBJECT

 public:
  explicit TMainForm(TMainFormOptions Options);
  ~TMainForm() override;

  void AnalyzeFile(const QString& FileName);
  // Takes the first of the dropped names when it is an existing file.
  void WMDropFiles(const QList<QUrl>& Urls);
  void UpdateReport();
  bool IsBusy() const { return FBusy; }
  // Set when the window closes while a worker runs: the worker skips its remaining steps.
  bool StopRequested() const { return FStopRequested; }
  const std::atomic<bool>& StopFlag() const { return FStopRequested; }
  // Runs Step on the main thread; a worker waits there until it has finished.
  void HandOff(const std::function<void()>& Step);

  // What the workers read and write.
  TReportWriters& Writers() { return FWriters; }
  const TFriendlyNames& FriendlyNames() const { return FFriendlyNames; }
  const TXmlCodecDB& CodecDB() const { return FCodecDB; }
  const std::string& FileName() const { return FFileName; }
  const TDxDiagProviderFactory& SystemInfoProvider() const { return FOptions.SystemInfoProvider; }
  std::unique_ptr<media::IMediaFramework> CreateMediaFramework() const;
  std::unique_ptr<IFrameworkSections> CreateFrameworkSections() const;
  // The framework sections of FOptions.FrameworkSections (a framework host), kept between
  // analyses as a batch keeps its own: the host starts once, and retires itself after a stop
  // or a time-out. Null without them: an in-process framework is made for each run, on its
  // thread. Called on the analysis worker (one analysis runs at a time).
  IFrameworkSections* KeptFrameworkSections();
  const std::function<void(int64_t, int64_t)>& OnParseProgress() const { return FOptions.OnParseProgress; }

  // The status steps, run on the main thread.
  void AddStatusLine(const QString& Line);
  void LogSystemInfoDone();
  void LogDirectShowInfoDone();
  void LogParsingDone();
  void LogRenderFileCheckDone();
  void LogDetailedRenderingDone();
  // Ends the busy state at the end of a worker's run.
  void UnlockControls();

  // The controls, named as the form's layout names them.
  QTabWidget* PageControl1;
  QWidget* TabSheet1;
  TReportBrowser* WebBrowser1;
  QWidget* TabSheet2;
  QPlainTextEdit* MemoTextReport;
  QWidget* TabSheet3;
  QPlainTextEdit* MemoParsingLog;
  QWidget* Panel1;
  QPlainTextEdit* MemoLog;
  QPushButton* bttOpenMatroskaFile;
  QPushButton* bttSaveReportAs;
  QCheckBox* chkAddSystemInfo;
  QProgressBar* ProgressBar1;
  QTimer* ProgressTimer;
  QFileDialog* OpenDialog1;

 protected:
  void closeEvent(QCloseEvent* Event) override;
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;

 private:
  void CreateControls();
  void FormCreate();
  void ProcessCommandLine();
  void SetControlsEnabled(bool Enabled);
  void StartWorker(std::unique_ptr<QThread> Worker);
  void WaitForWorker();
  void bttOpenMatroskaFileClick();
  void chkAddSystemInfoClick();
  void bttSaveReportAsClick();
  void SaveReports(THTMLWriter& Page, TTxtWriter& Text);
  void SayHowTheReportsWereSaved();
  void PlaceWindow();
  void ProgressTimerTimer();
  void WebBrowser1BeforeNavigate2(const QUrl& Url);

  TMainFormOptions FOptions;
  TReportWriters FWriters;
  TFriendlyNames FFriendlyNames;
  TXmlCodecDB FCodecDB;
  std::string FFileName;
  QString FCaption;        // the program's name and version
  QString FReportFolder;   // where Report.html and Report.txt go; empty: nowhere
  QString FReportProblem;  // why there is no such folder
  QString FSaveNote;       // how the last save went, until the status box says it
  bool FSystemInfoDone = false;
  bool FBusy = false;
  bool FClosing = false;
  std::atomic<bool> FStopRequested{false};
  std::unique_ptr<IFrameworkSections> FKeptFramework;  // see KeptFrameworkSections
  std::unique_ptr<QThread> FWorker;
};

}  // namespace ambrel
