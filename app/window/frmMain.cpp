#include "app/window/frmMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QTextDocument>
#include <QtMath>
#include <QVBoxLayout>
#include <clocale>

#include "app/analysis/CodecDbChoice.h"
#include "app/analysis/AnalysisFramework.h"
#include "app/window/MatroskaInfoThread.h"
#include "app/window/ReportFolder.h"
#include "app/window/SystemInfoThread.h"
#include "io/Executable.h"
#include "base/TextUtil.h"
#include "sysinfo/SystemInfoSection.h"

namespace ambrel {

namespace {

const char kOpenDialogFilter[] =
    "Matroska file|*.MKV;*.MKA;*.MKS|Matroska video file|*.MKV|Matroska audio file|*.MKA|"
    "Matroska subtitle file|*.MKS|All files|*.*";

// "Name|*.A;*.B|..." as the file dialog's name filters. Each pattern is offered in both
// letter cases, since file names here are case-sensitive.
QStringList DialogNameFilters(const QString& Filter) {
  const QStringList parts = Filter.split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(';')) {
      patterns << pattern;
      if (pattern.toLower() != pattern) patterns << pattern.toLower();
    }
    filters << parts[i] + " (" + patterns.join(' ') + ")";
  }
  return filters;
}

// The view's text for report bytes: ill-formed UTF-8 shows as U+FFFD, as in the JSON
// documents; the saved reports keep the bytes as they are.
QString ViewText(std::string_view Bytes) {
  const std::string text = ValidUtf8(Bytes);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QPlainTextEdit* NewMemo(QWidget* Parent, const char* Name) {
  auto* memo = new QPlainTextEdit(Parent);
  memo->setObjectName(Name);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Dropped files go to the window, not into the text.
  memo->setAcceptDrops(false);
  memo->viewport()->setAcceptDrops(false);
  return memo;
}

QWidget* NewPage(QTabWidget* Tabs, const char* Name, const char* Caption, QWidget* View) {
  auto* page = new QWidget(Tabs);
  page->setObjectName(Name);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  View->setParent(page);
  layout->addWidget(View);
  Tabs->addTab(page, Caption);
  return page;
}

}  // namespace

TMainFormOptions DefaultMainFormOptions(const QStringList& Arguments) {
  return {Arguments, platform::ExecutableDirectory(), LocalMachineProvider(),
          [] { return media::CreateDefaultMediaFramework(); }, AnalysisFrameworkMaker(nullptr), {}, true, {}};
}

std::unique_ptr<IFrameworkSections> TMainForm::CreateFrameworkSections() const {
  if (FOptions.FrameworkSections) return FOptions.FrameworkSections();
  return std::make_unique<TLocalFrameworkSections>([this] { return CreateMediaFramework(); });
}

std::unique_ptr<media::IMediaFramework> TMainForm::CreateMediaFramework() const {
  auto framework = FOptions.MediaFramework ? FOptions.MediaFramework() : nullptr;
  return framework ? std::move(framework) : media::CreateNoMediaFramework();
}

TMainForm::TMainForm(TMainFormOptions Options) : FOptions(std::move(Options)) {
  if (FOptions.ExeDir.empty() || FOptions.ExeDir.back() != '/') FOptions.ExeDir += '/';
  CreateControls();
  FormCreate();
}

TMainForm::~TMainForm() {
  // The workers use the writers, the table and the database: they must end first.
  FClosing = true;
  WaitForWorker();
}

void TMainForm::CreateControls() {
  setObjectName("MainForm");
  setWindowTitle("Ambrel");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  PageControl1->setMinimumSize(400, 200);
  WebBrowser1 = new TReportBrowser;
  WebBrowser1->setObjectName("WebBrowser1");
  WebBrowser1->setOpenLinks(false);
  WebBrowser1->setAcceptDrops(false);
  WebBrowser1->viewport()->setAcceptDrops(false);
  TabSheet1 = NewPage(PageControl1, "TabSheet1", "HTML Report", WebBrowser1);
  MemoTextReport = NewMemo(nullptr, "MemoTextReport");
  TabSheet2 = NewPage(PageControl1, "TabSheet2", "Text Report", MemoTextReport);
  MemoParsingLog = NewMemo(nullptr, "MemoParsingLog");
  TabSheet3 = NewPage(PageControl1, "TabSheet3", "Matroska Parsing Log", MemoParsingLog);
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  MemoTextReport->setFont(fixed);
  MemoParsingLog->setFont(fixed);
  PageControl1->setCurrentWidget(TabSheet1);
  layout->addWidget(PageControl1, 1);

  Panel1 = new QWidget(this);
  Panel1->setObjectName("Panel1");
  auto* panelLayout = new QVBoxLayout(Panel1);
  panelLayout->setContentsMargins(0, 4, 0, 0);
  MemoLog = NewMemo(Panel1, "MemoLog");
  // A run's status lines stay in view: seven lines (its steps, then its verdict), inside the frame
  // and the text's margins.
  const int margins = 2 * (MemoLog->frameWidth() + qCeil(MemoLog->document()->documentMargin()));
  MemoLog->setFixedHeight(MemoLog->fontMetrics().lineSpacing() * 7 + margins);
  panelLayout->addWidget(MemoLog);
  auto* controls = new QHBoxLayout;
  bttOpenMatroskaFile = new QPushButton("Open Matroska file", Panel1);
  bttOpenMatroskaFile->setObjectName("bttOpenMatroskaFile");
  bttOpenMatroskaFile->setMinimumWidth(113);
  chkAddSystemInfo = new QCheckBox("Add system info", Panel1);
  chkAddSystemInfo->setObjectName("chkAddSystemInfo");
  ProgressBar1 = new QProgressBar(Panel1);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setRange(0, 10);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setFixedWidth(145);
  // Shown only while a worker runs: an idle, empty bar reads as a text field.
  QSizePolicy keepPlace = ProgressBar1->sizePolicy();
  keepPlace.setRetainSizeWhenHidden(true);
  ProgressBar1->setSizePolicy(keepPlace);
  ProgressBar1->hide();
  bttSaveReportAs = new QPushButton("Save report as\u2026", Panel1);
  bttSaveReportAs->setObjectName("bttSaveReportAs");
  bttSaveReportAs->setEnabled(false);  // nothing to save before the first report
  controls->addWidget(bttOpenMatroskaFile);
  controls->addWidget(bttSaveReportAs);
  controls->addSpacing(8);
  controls->addWidget(chkAddSystemInfo);
  controls->addStretch(1);
  controls->addWidget(ProgressBar1);
  panelLayout->addLayout(controls);
  layout->addWidget(Panel1);

  ProgressTimer = new QTimer(this);
  ProgressTimer->setObjectName("ProgressTimer");
  ProgressTimer->setInterval(100);
  OpenDialog1 = new QFileDialog(this, "Open Matroska file");
  OpenDialog1->setObjectName("OpenDialog1");
  OpenDialog1->setFileMode(QFileDialog::ExistingFile);
  OpenDialog1->setOption(QFileDialog::HideNameFilterDetails);
  OpenDialog1->setNameFilters(DialogNameFilters(kOpenDialogFilter));

  connect(bttOpenMatroskaFile, &QPushButton::clicked, this, &TMainForm::bttOpenMatroskaFileClick);
  connect(chkAddSystemInfo, &QCheckBox::toggled, this, &TMainForm::chkAddSystemInfoClick);
  connect(bttSaveReportAs, &QPushButton::clicked, this, &TMainForm::bttSaveReportAsClick);
  connect(ProgressTimer, &QTimer::timeout, this, &TMainForm::ProgressTimerTimer);
  connect(WebBrowser1, &QTextBrowser::anchorClicked, this, &TMainForm::WebBrowser1BeforeNavigate2);
}

void TMainForm::FormCreate() {
  // Report numbers always use a point, whatever the user's locale says.
  std::setlocale(LC_NUMERIC, "C");
  FCaption = windowTitle() + " " + AMBREL_FILE_VERSION;
  setWindowTitle(FCaption);
  PlaceWindow();
  // A data file beside the executable that cannot be used is said in the status box;
  // the embedded table takes its place.
  std::string loadError;
  FFriendlyNames.Load(FOptions.ExeDir, &loadError);
  if (!loadError.empty()) AddStatusLine(QString::fromStdString(loadError));
  loadError.clear();
  LoadCodecDB(FCodecDB, FOptions.ExeDir, &loadError, DefaultCodecDbSource(false));
  if (!loadError.empty()) AddStatusLine(QString::fromStdString(loadError));
  FReportFolder = ChooseReportFolder(QString::fromStdString(FOptions.ExeDir), &FReportProblem);
  if (FOptions.Arguments.isEmpty()) {
    WebBrowser1->setSource(TReportBrowser::WelcomePageUrl(QCoreApplication::applicationFilePath()));
  } else {
    WebBrowser1->setSource(QUrl("about:blank"));
  }
  setAcceptDrops(true);
  ProcessCommandLine();
}

void TMainForm::ProcessCommandLine() {
  if (!FOptions.Arguments.isEmpty()) AnalyzeFile(FOptions.Arguments.first());
}

void TMainForm::AnalyzeFile(const QString& FileName) {
  SetControlsEnabled(false);
  AddStatusLine("Gathering info about : " + FileName);
  setWindowTitle(FCaption + " - " + QFileInfo(FileName).fileName());
  FFileName = QFile::encodeName(FileName).toStdString();
  StartWorker(std::make_unique<TMatroskaInfoThread>(*this));
}

void TMainForm::StartWorker(std::unique_ptr<QThread> Worker) {
  // The previous worker has handed back the controls and is about to end.
  if (FWorker) FWorker->wait();
  FStopRequested = false;
  FWorker = std::move(Worker);
  FWorker->start();
}

void TMainForm::WaitForWorker() {
  if (!FWorker) return;
  FStopRequested = true;
  // The worker hands its last steps to this thread, so keep serving them while waiting.
  QEventLoop loop;
  connect(FWorker.get(), &QThread::finished, &loop, &QEventLoop::quit);
  if (FWorker->isRunning()) loop.exec();
  FWorker->wait();
  FWorker.reset();
}

void TMainForm::HandOff(const std::function<void()>& Step) {
  if (QThread::currentThread() == thread()) {
    Step();
    return;
  }
  QMetaObject::invokeMethod(this, Step, Qt::BlockingQueuedConnection);
}

void TMainForm::SetControlsEnabled(bool Enabled) {
  FBusy = !Enabled;
  ProgressBar1->setValue(0);
  ProgressBar1->setVisible(!Enabled);
  bttSaveReportAs->setEnabled(Enabled && !FFileName.empty());
  if (Enabled) {
    ProgressTimer->stop();
  } else {
    ProgressTimer->start();
  }
  bttOpenMatroskaFile->setEnabled(Enabled);
  chkAddSystemInfo->setEnabled(Enabled);
  setAcceptDrops(Enabled);
}

void TMainForm::AddStatusLine(const QString& Line) { MemoLog->appendPlainText(Line); }

void TMainForm::LogSystemInfoDone() {
  AddStatusLine("Gathering general system information done.");
  FSystemInfoDone = true;
}

void TMainForm::LogDirectShowInfoDone() { AddStatusLine("Gathering DirectShow information done."); }
void TMainForm::LogParsingDone() { AddStatusLine("Parsing Matroska file done."); }
void TMainForm::LogRenderFileCheckDone() { AddStatusLine("DirectShow RenderFile check done."); }
void TMainForm::LogDetailedRenderingDone() { AddStatusLine("DirectShow detailed rendering done."); }

void TMainForm::UpdateReport() {
  const bool withSystemInfo = chkAddSystemInfo->isChecked();
  THTMLWriter page;
  FWriters.BuildHtmlPage(withSystemInfo, page);
  WebBrowser1->LoadHTMLFromBytes(page.GetText());
  TTxtWriter text;
  FWriters.BuildTextReport(withSystemInfo, text);
  SaveReports(page, text);
  // The view shows the text without its byte-order mark.
  const std::string textBytes = text.GetText();
  MemoTextReport->setPlainText(ViewText(std::string_view(textBytes).substr(3)));
  MemoParsingLog->setPlainText(ViewText(FWriters.FParsingLog.GetText()));
}

void TMainForm::SaveReports(THTMLWriter& Page, TTxtWriter& Text) {
  // Every save is said: where the reports went, or why they could not be written. A run
  // saves more than once; it says how its last save went, after its own status lines.
  QStringList saved, lines;
  if (FReportFolder.isEmpty()) {
    lines << "The reports are not saved: " + FReportProblem + ".";
  } else {
    for (const auto& [writer, name] : {std::pair<TLogWriter*, QString>{&Page, "Report.html"}, {&Text, "Report.txt"}}) {
      const QString why = WriteReportFile(FReportFolder + name, writer->GetStream().Bytes());
      if (why.isEmpty()) {
        saved << name;
      } else {
        lines << "Cannot write " + FReportFolder + name + ": " + why + ".";
      }
    }
  }
  if (!saved.isEmpty()) {
    lines << saved.join(" and ") + (saved.size() > 1 ? " are" : " is") + " saved in " + FReportFolder;
  }
  FSaveNote = lines.join('\n');
  if (!FBusy) SayHowTheReportsWereSaved();
}

void TMainForm::SayHowTheReportsWereSaved() {
  if (!FSaveNote.isEmpty()) AddStatusLine(FSaveNote);
  FSaveNote.clear();
}

void TMainForm::UnlockControls() {
  SetControlsEnabled(true);
  // A window that is closing has no one to tell.
  if (!FStopRequested) SayHowTheReportsWereSaved();
}

void TMainForm::bttSaveReportAsClick() {
  const QStringList filters = {"HTML page (*.html *.htm)", "Text report (*.txt)"};
  const QString suggested =
      QDir::homePath() + "/" + QFileInfo(QFile::decodeName(FFileName.c_str())).completeBaseName() + ".html";
  TSaveChoice choice;
  if (FOptions.ChooseSaveName) {
    choice = FOptions.ChooseSaveName(suggested, filters);
  } else {
    choice.FileName =
        QFileDialog::getSaveFileName(this, "Save report as", suggested, filters.join(";;"), &choice.Filter);
  }
  const QString& name = choice.FileName;
  if (name.isEmpty()) return;
  const bool asText = choice.Filter == filters[1] || name.endsWith(".txt", Qt::CaseInsensitive);
  const bool withSystemInfo = chkAddSystemInfo->isChecked();
  QString why;
  if (asText) {
    TTxtWriter report;
    FWriters.BuildTextReport(withSystemInfo, report);
    why = WriteReportFile(name, report.GetStream().Bytes());
  } else {
    THTMLWriter report;
    FWriters.BuildHtmlPage(withSystemInfo, report);
    why = WriteReportFile(name, report.GetStream().Bytes());
  }
  AddStatusLine(why.isEmpty() ? "Report saved as " + name : "Cannot write " + name + ": " + why + ".");
}

void TMainForm::PlaceWindow() {
  // A comfortable start: about 70% of the screen, at least 1000x720 where that fits.
  QSize size(1000, 720);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QSize available = screen->availableGeometry().size();
    size = size.expandedTo(available * 0.7).boundedTo(available);
  }
  resize(size);
  if (!FOptions.RememberGeometry) return;
  const QByteArray geometry = QSettings().value("window/geometry").toByteArray();
  if (!geometry.isEmpty()) restoreGeometry(geometry);
}

void TMainForm::bttOpenMatroskaFileClick() {
  if (OpenDialog1->exec() != QDialog::Accepted) return;
  const QStringList files = OpenDialog1->selectedFiles();
  if (!files.isEmpty()) AnalyzeFile(files.first());
}

void TMainForm::chkAddSystemInfoClick() {
  if (!chkAddSystemInfo->isChecked() || FSystemInfoDone) {
    UpdateReport();
    return;
  }
  AddStatusLine("Gathering system information, please wait...");
  SetControlsEnabled(false);
  StartWorker(std::make_unique<TSystemInfoThread>(*this));
}

void TMainForm::ProgressTimerTimer() {
  ProgressBar1->setValue((ProgressBar1->value() + 1) % (ProgressBar1->maximum() + 1));
}

void TMainForm::WebBrowser1BeforeNavigate2(const QUrl& Url) {
  if (Url.toString().contains("http://")) {
    QDesktopServices::openUrl(Url);
    return;
  }
  WebBrowser1->setSource(Url);
}

void TMainForm::WMDropFiles(const QList<QUrl>& Urls) {
  if (FBusy || Urls.isEmpty()) return;
  const QString name = Urls.first().toLocalFile();
  if (!name.isEmpty() && QFileInfo(name).isFile()) AnalyzeFile(name);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* Event) {
  if (!FBusy && Event->mimeData()->hasUrls()) Event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* Event) {
  if (FBusy || !Event->mimeData()->hasUrls()) return;
  Event->acceptProposedAction();
  WMDropFiles(Event->mimeData()->urls());
}

void TMainForm::closeEvent(QCloseEvent* Event) {
  if (FClosing && FWorker && FWorker->isRunning()) {
    // Already waiting for the worker: this close happens when it has ended.
    Event->ignore();
    return;
  }
  FClosing = true;
  WaitForWorker();
  if (FOptions.RememberGeometry) QSettings().setValue("window/geometry", saveGeometry());
  Event->accept();
}

}  // namespace ambrel
