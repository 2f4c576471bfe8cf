// The main window in Qt: the three report views, the status box, the buttons, the "Add
// system info" check box and the progress bar, over the form (app/form/AnalysisForm.h),
// which holds the window's behaviour.
#pragma once

#include <QCheckBox>
#include <QString>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/form/AnalysisForm.h"
#include "app/window/ReportBrowser.h"
#include "codecdb/XmlCodecDB.h"

class WindowTest;

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

class TMainForm : public QWidget, private IFormView {
  Q_OBJECT

 public:
  explicit TMainForm(TMainFormOptions Options);
  ~TMainForm() override;

  void AnalyzeFile(const QString& FileName);
  // Takes the first of the dropped names when it is an existing file.
  void WMDropFiles(const QList<QUrl>& Urls);
  bool IsBusy() const { return FForm->IsBusy(); }
  // Set when the window closes while a worker runs: the worker skips its remaining steps.
  bool StopRequested() const { return FForm->StopRequested(); }
  TReportWriters& Writers() { return FForm->Writers(); }
  const TXmlCodecDB& CodecDB() const { return FForm->Tables().CodecDB; }

 protected:
  void closeEvent(QCloseEvent* Event) override;
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;

 private:
  friend class ::WindowTest;

  // What the form shows.
  void SetCaption(const std::string& Caption) override;
  void AddStatusLine(const std::string& Line) override;
  void SetBusy(bool Busy, bool CanSave) override;
  void ShowStartPage(bool Welcome) override;
  void ShowReports(const TFormReports& Reports) override;
  void WakeMainThread() override;

  void CreateControls();
  void bttOpenMatroskaFileClick();
  void bttSaveReportAsClick();
  void PlaceWindow();
  void ProgressTimerTimer();
  void WebBrowser1BeforeNavigate2(const QUrl& Url);

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

  TMainFormOptions FOptions;
  std::unique_ptr<TAnalysisForm> FForm;
};

}  // namespace ambrel
