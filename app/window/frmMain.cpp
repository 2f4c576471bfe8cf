#include "app/window/frmMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QTextDocument>
#include <QtMath>
#include <QVBoxLayout>

#include "app/analysis/AnalysisFramework.h"
#include "app/window/ReportFolder.h"
#include "io/Executable.h"
#include "base/TextUtil.h"
#include "sysinfo/SystemInfoSection.h"

namespace ambrel {

namespace {

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

namespace {

std::string FileNameBytes(const QString& Name) { return QFile::encodeName(Name).toStdString(); }

QString FromUtf8(std::string_view Text) { return QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size())); }

}  // namespace

TMainForm::TMainForm(TMainFormOptions Options) : FOptions(std::move(Options)) {
  if (FOptions.ExeDir.empty() || FOptions.ExeDir.back() != '/') FOptions.ExeDir += '/';
  CreateControls();
  PlaceWindow();
  TAnalysisFormOptions form;
  for (const QString& argument : FOptions.Arguments) form.Arguments.push_back(FileNameBytes(argument));
  form.ExeDir = FOptions.ExeDir;
  form.SystemInfoProvider = FOptions.SystemInfoProvider;
  form.MediaFramework = FOptions.MediaFramework;
  form.FrameworkSections = FOptions.FrameworkSections;
  form.OnParseProgress = FOptions.OnParseProgress;
  form.ChooseReportFolder = [](const std::string& ExeDir, std::string* Problem) {
    QString why;
    const QString folder = ChooseReportFolder(QString::fromStdString(ExeDir), &why);
    *Problem = why.toStdString();
    return folder.toStdString();
  };
  form.WriteReportFile = [](const std::string& Path, std::string_view Bytes) {
    return WriteReportFile(QString::fromStdString(Path), Bytes).toStdString();
  };
  FForm = std::make_unique<TAnalysisForm>(std::move(form), static_cast<IFormView&>(*this));
  setAcceptDrops(true);
  FForm->Start();
}

TMainForm::~TMainForm() {
  // The workers use the form's writers and tables: they must end first.
  FForm->Close();
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
  connect(chkAddSystemInfo, &QCheckBox::toggled, this, [this](bool Ticked) { FForm->SystemInfoTicked(Ticked); });
  connect(bttSaveReportAs, &QPushButton::clicked, this, &TMainForm::bttSaveReportAsClick);
  connect(ProgressTimer, &QTimer::timeout, this, &TMainForm::ProgressTimerTimer);
  connect(WebBrowser1, &QTextBrowser::anchorClicked, this, &TMainForm::WebBrowser1BeforeNavigate2);
}

void TMainForm::AnalyzeFile(const QString& FileName) { FForm->AnalyzeFile(FileNameBytes(FileName)); }

void TMainForm::SetCaption(const std::string& Caption) { setWindowTitle(FromUtf8(Caption)); }

void TMainForm::AddStatusLine(const std::string& Line) { MemoLog->appendPlainText(FromUtf8(Line)); }

void TMainForm::SetBusy(bool Busy, bool CanSave) {
  ProgressBar1->setValue(0);
  ProgressBar1->setVisible(Busy);
  bttSaveReportAs->setEnabled(CanSave);
  if (Busy) {
    ProgressTimer->start();
  } else {
    ProgressTimer->stop();
  }
  bttOpenMatroskaFile->setEnabled(!Busy);
  chkAddSystemInfo->setEnabled(!Busy);
  setAcceptDrops(!Busy);
}

void TMainForm::ShowStartPage(bool Welcome) {
  WebBrowser1->setSource(Welcome ? TReportBrowser::WelcomePageUrl(QCoreApplication::applicationFilePath())
                                 : QUrl("about:blank"));
}

void TMainForm::ShowReports(const TFormReports& Reports) {
  WebBrowser1->LoadHTMLFromBytes(Reports.Page);
  MemoTextReport->setPlainText(ViewText(Reports.Text));
  MemoParsingLog->setPlainText(ViewText(Reports.ParsingLog));
}

void TMainForm::WakeMainThread() {
  QMetaObject::invokeMethod(this, [this] { FForm->RunHandedOffStep(); }, Qt::QueuedConnection);
}

void TMainForm::bttSaveReportAsClick() {
  const QStringList filters = {"HTML page (*.html *.htm)", "Text report (*.txt)"};
  const QString suggested = QDir::homePath() + "/" + FromUtf8(FForm->SuggestedSaveName());
  TSaveChoice choice;
  if (FOptions.ChooseSaveName) {
    choice = FOptions.ChooseSaveName(suggested, filters);
  } else {
    choice.FileName =
        QFileDialog::getSaveFileName(this, "Save report as", suggested, filters.join(";;"), &choice.Filter);
  }
  FForm->SaveReportAs(FileNameBytes(choice.FileName), choice.Filter == filters[1]);
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

void TMainForm::ProgressTimerTimer() {
  ProgressBar1->setValue((ProgressBar1->value() + 1) % (ProgressBar1->maximum() + 1));
}

void TMainForm::WebBrowser1BeforeNavigate2(const QUrl& Url) {
  if (TAnalysisForm::OpensOutside(Url.toString().toStdString())) {
    QDesktopServices::openUrl(Url);
    return;
  }
  WebBrowser1->setSource(Url);
}

void TMainForm::WMDropFiles(const QList<QUrl>& Urls) {
  std::vector<std::string> names;
  for (const QUrl& url : Urls) names.push_back(FileNameBytes(url.toLocalFile()));
  FForm->DropFiles(names);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* Event) {
  if (!IsBusy() && Event->mimeData()->hasUrls()) Event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* Event) {
  if (IsBusy() || !Event->mimeData()->hasUrls()) return;
  Event->acceptProposedAction();
  WMDropFiles(Event->mimeData()->urls());
}

void TMainForm::closeEvent(QCloseEvent* Event) {
  FForm->Close();
  if (FOptions.RememberGeometry) QSettings().setValue("window/geometry", saveGeometry());
  Event->accept();
}

}  // namespace ambrel
