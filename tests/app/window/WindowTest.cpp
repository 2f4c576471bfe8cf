// The window as a user drives it: start-up with and without a file, drops, the system
// information check box, the busy state, links, the saved reports, "Save report as" and
// closing while a worker runs. Runs under Qt's offscreen platform.
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/resource.h>
#include <sys/stat.h>

#include <atomic>
#include <csignal>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "app/window/frmMain.h"
#include "matroska/MatroskaParse.h"
#include "tests/CommaLocale.h"
#include "tests/media/ForwardingFramework.h"

using namespace ambrel;

namespace {

const QString kData = AMBREL_TEST_DATA_DIR;
constexpr int kRunTimeoutMs = 60000;

// Holds a worker until Released() says so (checked every millisecond; a minute at most,
// so that a test whose release never comes fails instead of hanging).
using Release = std::function<bool()>;
void WaitFor(const Release& Released) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (Released && !Released() && std::chrono::steady_clock::now() < limit)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// A machine whose system information is a small fixed tree; it counts how often it is
// gathered and can be held inside the gathering. Set Hold before the worker starts.
struct ScriptedMachine {
  std::atomic<int> Gathered{0};
  Release Hold;
  std::string Os = "Test OS 1.0";
};

// The rendering sections of a run, held at their first call until Released().
class HeldFramework : public testing::TForwardingFramework {
 public:
  explicit HeldFramework(Release Released)
      : TForwardingFramework(media::CreateNoMediaFramework()), released_(std::move(Released)) {}
  HRESULT CoInitialize() override {
    WaitFor(released_);
    return TForwardingFramework::CoInitialize();
  }

 private:
  Release released_;
};

class ScriptedProvider : public platform::IDxDiagProvider {
 public:
  explicit ScriptedProvider(ScriptedMachine& machine) : machine_(machine) {}
  platform::HRESULT Initialize() override {
    ++machine_.Gathered;
    WaitFor(machine_.Hold);
    root_.AddChild("DxDiag_SystemInfo").SetText("szOSExLongEnglish", machine_.Os);
    return platform::S_OK;
  }
  platform::HRESULT GetRootContainer(const platform::IDxDiagContainer*& root) override {
    root = &root_;
    return platform::S_OK;
  }

 private:
  ScriptedMachine& machine_;
  platform::TDxDiagNode root_;
};

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 public slots:
  void openUrl(const QUrl& url) { opened_ << url; }

 private:
  static QStringList StatusLines(TMainForm& form) { return form.MemoLog->toPlainText().split('\n', Qt::SkipEmptyParts); }

  QTemporaryDir exeDir_;
  ScriptedMachine machine_;
  QList<QUrl> opened_;

  TMainFormOptions Options(const QStringList& arguments) {
    TMainFormOptions options;
    options.Arguments = arguments;
    options.ExeDir = exeDir_.path().toStdString();
    options.SystemInfoProvider = [this] { return std::make_unique<ScriptedProvider>(machine_); };
    // No media framework: the rendering sections answer at once and the same everywhere.
    options.MediaFramework = media::CreateNoMediaFramework;
    return options;
  }

  static std::unique_ptr<TMainForm> Show(TMainFormOptions options) {
    auto form = std::make_unique<TMainForm>(std::move(options));
    form->show();
    return form;
  }

  // Framework, when given, makes the media framework of each worker run.
  std::unique_ptr<TMainForm> NewForm(const QStringList& arguments,
                                     std::function<std::unique_ptr<media::IMediaFramework>()> framework = {},
                                     std::function<void(int64_t, int64_t)> onParseProgress = {}) {
    TMainFormOptions options = Options(arguments);
    if (framework) options.MediaFramework = std::move(framework);
    options.OnParseProgress = std::move(onParseProgress);
    return Show(std::move(options));
  }

  QString SavedBesideTheProgram() const { return "Report.html and Report.txt are saved in " + exeDir_.path() + "/"; }

  static bool Drop(TMainForm& form, const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &drop);
    return true;
  }

  static void ExpectIdle(TMainForm& form) {
    QVERIFY(!form.IsBusy());
    QVERIFY(form.bttOpenMatroskaFile->isEnabled());
    QVERIFY(form.chkAddSystemInfo->isEnabled());
    QVERIFY(!form.ProgressTimer->isActive());
    QVERIFY(form.acceptDrops());
    QCOMPARE(form.ProgressBar1->value(), 0);
  }

 private slots:
  void init() {
    QVERIFY(exeDir_.isValid());
    machine_.Gathered = 0;
    machine_.Hold = nullptr;
    opened_.clear();
  }

  void startsWithTheFileOfTheCommandLine() {
    const QString file = kData + "/sample.mkv";
    auto form = NewForm({file});
    QVERIFY(QRegularExpression("^Ambrel \\d+\\.\\d+\\.\\d+\\.\\d+ - sample\\.mkv$").match(form->windowTitle()).hasMatch());
    QCOMPARE(form->WebBrowser1->source(), QUrl("about:blank"));
    QVERIFY(form->IsBusy());
    QVERIFY(!form->bttOpenMatroskaFile->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!form->IsBusy(), kRunTimeoutMs);
    ExpectIdle(*form);
    QCOMPARE(StatusLines(*form), QStringList({"Gathering info about : " + file, "Parsing Matroska file done.",
                                              "DirectShow RenderFile check done.",
                                              "DirectShow detailed rendering done.", "Does not play here.",
                                              SavedBesideTheProgram()}));
    QCOMPARE(form->MemoLog->verticalScrollBar()->maximum(), 0);  // all of them in view
    QVERIFY(form->WebBrowser1->toPlainText().contains("Matroska file info : " + file));
    QVERIFY(form->WebBrowser1->toPlainText().contains("Sous-titres français"));
    QVERIFY(form->MemoTextReport->toPlainText().startsWith("Matroska file info : " + file + "\n"));
    QVERIFY(!form->MemoParsingLog->toPlainText().isEmpty());
    QVERIFY(!form->MemoParsingLog->toPlainText().startsWith(QChar(0xFEFF)));
    QVERIFY(ReadAll(exeDir_.filePath("Report.html")).startsWith("\xEF\xBB\xBF<!DOCTYPE html>\r\n<html>\r\n<head>\r\n"));
    QVERIFY(ReadAll(exeDir_.filePath("Report.txt")).startsWith("\xEF\xBB\xBFMatroska file info : "));
  }

  void analysesOnlyTheFirstArgument() {
    auto form = NewForm({kData + "/audio.mka", kData + "/sample.mkv"});
    QTRY_VERIFY_WITH_TIMEOUT(!form->IsBusy(), kRunTimeoutMs);
    const QStringList lines = StatusLines(*form);
    QCOMPARE(lines.filter("Gathering info about").size(), 1);
    QCOMPARE(lines.first(), "Gathering info about : " + kData + "/audio.mka");
    QVERIFY(form->MemoTextReport->toPlainText().contains("audio.mka"));
    QVERIFY(!form->MemoTextReport->toPlainText().contains("sample.mkv"));
  }

  void showsTheWelcomePageWithoutArguments() {
    auto form = NewForm({});
    ExpectIdle(*form);
    QCOMPARE(form->WebBrowser1->source().scheme(), "res");
    QVERIFY(form->WebBrowser1->source().path().endsWith("/RT_HTML/AMBREL_LOGO_HTML"));
    const QString page = form->WebBrowser1->toPlainText();
    QVERIFY(page.contains("Welcome to"));
    QVERIFY(page.contains("You can drag & drop your Matroka file on me :-)"));
    QVERIFY(page.contains("Go to Matroska homepage."));
    const QVariant logo = form->WebBrowser1->loadResource(
        QTextDocument::ImageResource, form->WebBrowser1->source().resolved(QUrl("/PNG/AMBREL_LOGO")));
    QVERIFY(!logo.value<QImage>().isNull());
    QVERIFY(StatusLines(*form).isEmpty());
  }

  void dropsAnalyseTheFirstExistingFile() {
    auto form = NewForm({});
    // A folder, a missing name, and a missing name before an existing file do nothing.
    QVERIFY(Drop(*form, {QUrl::fromLocalFile(kData)}));
    QVERIFY(Drop(*form, {QUrl::fromLocalFile(kData + "/no-such-file.mkv")}));
    QVERIFY(Drop(*form, {QUrl::fromLocalFile(kData + "/no-such-file.mkv"), QUrl::fromLocalFile(kData + "/sample.mkv")}));
    QVERIFY(Drop(*form, {QUrl("http://example.org/remote.mkv")}));
    QVERIFY(!form->IsBusy());
    QVERIFY(StatusLines(*form).isEmpty());

    const QList<QUrl> three = {QUrl::fromLocalFile(kData + "/subs.mks"), QUrl::fromLocalFile(kData + "/sample.mkv"),
                               QUrl::fromLocalFile(kData + "/audio.mka")};
    QVERIFY(Drop(*form, three));
    QVERIFY(form->IsBusy());
    QVERIFY2(!Drop(*form, three), "a busy window refuses drops");
    QTRY_VERIFY_WITH_TIMEOUT(!form->IsBusy(), kRunTimeoutMs);
    QCOMPARE(StatusLines(*form).filter("Gathering info about").join('|'), "Gathering info about : " + kData + "/subs.mks");
    QVERIFY(form->MemoTextReport->toPlainText().startsWith("Matroska file info : " + kData + "/subs.mks"));
  }

  void systemInformationIsGatheredOnce() {
    auto form = NewForm({});
    const QString report = exeDir_.filePath("Report.txt");
    // Before any file: the report holds the system information alone.
    form->chkAddSystemInfo->setChecked(true);
    QVERIFY(form->IsBusy());
    QTRY_VERIFY_WITH_TIMEOUT(!form->IsBusy(), kRunTimeoutMs);
    QCOMPARE(StatusLines(*form), QStringList({"Gathering system information, please wait...",
                                              "Gathering general system information done.",
                                              "Gathering DirectShow information done.", SavedBesideTheProgram()}));
    const QByteArray withInfo = "\xEF\xBB\xBFGeneral system info :\r\nWindows version : Test OS 1.0\r\n\r\n"
                                "Video info :\r\nSound info :\r\n"
                                "DirectShow filters :\r\n\r\nAudio renderer :\r\n\r\n";
    QCOMPARE(ReadAll(report), withInfo);
    QVERIFY(form->WebBrowser1->toPlainText().contains("Test OS 1.0"));

    // Unticking and ticking again rebuild the report at once, without gathering again.
    form->chkAddSystemInfo->setChecked(false);
    QVERIFY(!form->IsBusy());
    QCOMPARE(ReadAll(report), QByteArray("\xEF\xBB\xBF"));
    QVERIFY(!form->WebBrowser1->toPlainText().contains("Test OS 1.0"));
    form->chkAddSystemInfo->setChecked(true);
    QVERIFY(!form->IsBusy());
    QCOMPARE(ReadAll(report), withInfo);
    QCOMPARE(machine_.Gathered.load(), 1);
    // Each rebuild saves the reports again, and says so.
    QCOMPARE(StatusLines(*form).mid(3), QStringList(3, SavedBesideTheProgram()));

    // A file analysed afterwards comes first, the system information after it.
    QVERIFY(Drop(*form, {QUrl::fromLocalFile(kData + "/audio.mka")}));
    QTRY_VERIFY_WITH_TIMEOUT(!form->IsBusy(), kRunTimeoutMs);
    const QByteArray both = ReadAll(report);
    QVERIFY(both.startsWith("\xEF\xBB\xBFMatroska file info : "));
    QVERIFY(both.endsWith(withInfo.mid(3)));
    QCOMPARE(machine_.Gathered.load(), 1);
  }

  void busyStateWhileAWorkerRuns() {
    // The worker is held until the bar has shown four positions.
    QSet<int> positions;
    std::atomic<bool> moved{false};
    machine_.Hold = [&moved] { return moved.load(); };
    auto form = NewForm({});
    QTest::mouseClick(form->chkAddSystemInfo, Qt::LeftButton);
    QVERIFY(form->chkAddSystemInfo->isChecked());
    QElapsedTimer waited;
    waited.start();
    for (; form->IsBusy(); moved = positions.size() >= 4) {
      QVERIFY2(waited.elapsed() < kRunTimeoutMs, "the bar stands still");
      QVERIFY(!form->bttOpenMatroskaFile->isEnabled());
      QVERIFY(!form->chkAddSystemInfo->isEnabled());
      QVERIFY(!form->acceptDrops());
      QVERIFY(form->ProgressTimer->isActive());
      QCOMPARE(form->ProgressTimer->interval(), 100);
      positions << form->ProgressBar1->value();
      QTest::qWait(30);
    }
    QVERIFY2(positions.size() >= 4, "the bar moves while the worker runs");
    for (int position : positions) QVERIFY(position >= 0 && position <= 10);
    ExpectIdle(*form);
  }

  void httpLinksOpenOutsideTheView() {
    QDesktopServices::setUrlHandler("http", this, "openUrl");
    auto form = NewForm({kData + "/sample.mkv"});
    QTRY_VERIFY_WITH_TIMEOUT(!form->IsBusy(), kRunTimeoutMs);
    const QString report = form->WebBrowser1->toPlainText();
    emit form->WebBrowser1->anchorClicked(QUrl("http://www.matroska.org/"));
    QCOMPARE(opened_, QList<QUrl>({QUrl("http://www.matroska.org/")}));
    QCOMPARE(form->WebBrowser1->toPlainText(), report);
    // Anything else navigates inside the view.
    emit form->WebBrowser1->anchorClicked(QUrl("about:blank"));
    QCOMPARE(opened_.size(), 1);
    QCOMPARE(form->WebBrowser1->source(), QUrl("about:blank"));
    QVERIFY(form->WebBrowser1->toPlainText().isEmpty());
    QDesktopServices::unsetUrlHandler("http");
  }

  void badCodecDatabaseIsReported() {
    QFile bad(exeDir_.filePath("CodecsDB.xml"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("this is not XML");
    bad.close();
    auto form = NewForm({kData + "/sample.mkv"});
    QTRY_VERIFY_WITH_TIMEOUT(!form->IsBusy(), kRunTimeoutMs);
    QFile::remove(exeDir_.filePath("CodecsDB.xml"));
    const QStringList lines = StatusLines(*form);
    QCOMPARE(lines.size(), 7);
    QVERIFY(!lines.first().isEmpty());
    QCOMPARE(lines[1], "Gathering info about : " + kData + "/sample.mkv");
    QCOMPARE(lines[4], "DirectShow detailed rendering done.");
    QCOMPARE(QString::fromStdString(form->CodecDB().Document().Root().Name()), "codecdb");
  }

  void viewsShowBytesThatAreNotUtf8AsReplacementCharacters() {
    // A Title whose dash lost its lead byte to 0xFF, and a machine named in Latin-1.
    QTemporaryDir files;
    QByteArray bytes = ReadAll(kData + "/sample.mkv");
    const qsizetype dash = bytes.indexOf("Matroska sample \xE2\x80\x93");
    QVERIFY(dash >= 0);
    bytes[dash + 16] = '\xFF';
    QFile file(files.filePath("title.mkv"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    machine_.Os = "Caf\xE9 OS";
    auto form = NewForm({file.fileName()});
    QTRY_VERIFY_WITH_TIMEOUT(!form->IsBusy(), kRunTimeoutMs);
    const QString title = QString::fromUtf8("Title : Matroska sample \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD test pattern");
    QVERIFY(form->MemoTextReport->toPlainText().contains(title));
    QVERIFY(form->MemoParsingLog->toPlainText().contains(title));
    form->chkAddSystemInfo->setChecked(true);
    QTRY_VERIFY_WITH_TIMEOUT(!form->IsBusy(), kRunTimeoutMs);
    QVERIFY(form->MemoTextReport->toPlainText().contains(title));
    QVERIFY(form->MemoTextReport->toPlainText().contains(QString::fromUtf8("Caf\xEF\xBF\xBD OS")));
    // The saved report keeps the bytes as they are.
    const QByteArray saved = ReadAll(exeDir_.filePath("Report.txt"));
    QVERIFY(saved.contains("Caf\xE9 OS"));
    QVERIFY(saved.contains("Matroska sample \xFF\x80\x93 test"));
  }

  void closingWhileBusyWaitsForTheWorker() {
    // Each worker is held inside its step until the window asks it to stop.
    std::atomic<TMainForm*> current{nullptr};
    machine_.Hold = [&current] { return current.load()->StopRequested(); };
    auto form = NewForm({});
    current = form.get();
    form->chkAddSystemInfo->setChecked(true);
    // Close while the worker is inside the section.
    QTRY_COMPARE(machine_.Gathered.load(), 1);
    QVERIFY(form->IsBusy());
    QVERIFY(form->close());
    QVERIFY(!form->IsBusy());
    // The worker ended without its remaining steps.
    QCOMPARE(StatusLines(*form), QStringList({"Gathering system information, please wait..."}));
    form.reset();

    // Destroying the window without closing it waits as well.
    form = NewForm({});
    current = form.get();
    form->chkAddSystemInfo->setChecked(true);
    QTRY_COMPARE(machine_.Gathered.load(), 2);
    form.reset();
  }

  void closingDuringAFileAnalysisStopsIt() {
    // Closed while the parse is held at its first step: the parse is cancelled and nothing
    // after it runs.
    std::atomic<TMainForm*> current{nullptr};
    const Release stopped = [&current] { return current.load() && current.load()->StopRequested(); };
    std::atomic<bool> begun{false};
    auto form = NewForm({kData + "/sample.mkv"}, {}, [&](int64_t, int64_t) {
      begun = true;
      WaitFor(stopped);
    });
    current = form.get();
    QTRY_VERIFY(begun.load());
    QVERIFY(form->close());
    QVERIFY(!form->IsBusy());
    const QString log = QString::fromStdString(form->Writers().FParsingLog.GetText());
    QVERIFY2(log.contains(kAnalysisCancelled), qPrintable(log));
    QCOMPARE(StatusLines(*form), QStringList({"Gathering info about : " + kData + "/sample.mkv"}));

    // Closed while the rendering checks run: they end and the steps after them do not run.
    std::atomic<bool> rendering{false};
    current = nullptr;
    form.reset();
    form = NewForm({kData + "/sample.mkv"}, [&] {
      return std::make_unique<HeldFramework>([&] {
        rendering = true;
        return stopped();
      });
    });
    current = form.get();
    QTRY_VERIFY_WITH_TIMEOUT(rendering.load(), kRunTimeoutMs);
    QVERIFY(form->close());
    QVERIFY(!form->IsBusy());
    QCOMPARE(StatusLines(*form), QStringList({"Gathering info about : " + kData + "/sample.mkv",
                                              "Parsing Matroska file done."}));
  }

  void reportsAreTheSameUnderADecimalCommaLocale() {
    const auto reports = [this] {
      auto form = NewForm({kData + "/vfw_acm.mkv"});
      [&] { QTRY_VERIFY_WITH_TIMEOUT(!form->IsBusy(), kRunTimeoutMs); }();
      form->chkAddSystemInfo->setChecked(true);
      [&] { QTRY_VERIFY_WITH_TIMEOUT(!form->IsBusy(), kRunTimeoutMs); }();
      return QStringList({ReadAll(exeDir_.filePath("Report.txt")), ReadAll(exeDir_.filePath("Report.html")),
                          form->MemoTextReport->toPlainText(), form->MemoParsingLog->toPlainText()});
    };
    const QStringList plain = reports();
    QVERIFY(plain[0].contains("Sampling Frequency"));
    TCommaLocale comma;
    if (!comma.Active()) QSKIP("no de_DE locale on this machine (scripts/make-locales.sh makes one)");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QStringList inComma = reports();
    QLocale::setDefault(QLocale::c());
    // The detailed rendering's lines start with the milliseconds elapsed, which differ
    // from run to run on a loaded machine.
    const auto untimed = [](QString text) {
      static const QRegularExpression elapsed(QStringLiteral("^\\d+> "), QRegularExpression::MultilineOption);
      return text.replace(elapsed, QStringLiteral("N> "));
    };
    for (int i = 0; i < plain.size(); ++i) QCOMPARE(untimed(inComma[i]), untimed(plain[i]));
  }

  void reportsGoToTheDataFolderWhenBesideTheProgramIsNotWritable() {
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    TMainFormOptions options = Options({kData + "/sample.mkv"});
    options.ExeDir = exeDir_.filePath("no-such-folder").toStdString();
    auto form = Show(std::move(options));
    QVERIFY(form->ProgressBar1->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!form->IsBusy(), kRunTimeoutMs);
    qunsetenv("XDG_DATA_HOME");
    const QString folder = data.path() + "/ambrel/";
    QVERIFY(ReadAll(folder + "Report.txt").startsWith("\xEF\xBB\xBFMatroska file info : "));
    QCOMPARE(StatusLines(*form).last(), "Report.html and Report.txt are saved in " + folder);
    QVERIFY(!form->ProgressBar1->isVisible());  // idle: no empty bar
    QVERIFY(form->bttSaveReportAs->isEnabled());
    QVERIFY(form->width() >= 683 && form->height() >= 524);
  }

  void reportsThatCannotBeSavedSayWhy() {
    QTemporaryDir beside, piped;
    QVERIFY(QDir(beside.path()).mkdir("Report.html"));  // a folder in the page's place
    // A FIFO in the text's place: refused without waiting for a reader, and kept.
    QCOMPARE(mkfifo(QFile::encodeName(piped.filePath("Report.txt")).constData(), 0600), 0);
    const QString folder = beside.path() + "/", fifoFolder = piped.path() + "/";
    const QString missing = beside.filePath("no-such-folder");
    struct Case {
      QString ExeDir, DataHome;
      QStringList Lines;
    };
    for (const Case& c : {Case{folder, "", {"Cannot write " + folder + "Report.html: Is a directory.",
                                            "Report.txt is saved in " + folder}},
                          Case{fifoFolder, "", {"Cannot write " + fifoFolder + "Report.txt: Not a regular file.",
                                                "Report.html is saved in " + fifoFolder}},
                          // No data folder can be made under a file.
                          Case{missing, "/dev/null", {"The reports are not saved: neither " + missing +
                                                      "/ nor /dev/null/ambrel can be written."}}}) {
      if (!c.DataHome.isEmpty()) qputenv("XDG_DATA_HOME", c.DataHome.toUtf8());
      TMainFormOptions options = Options({kData + "/audio.mka"});
      options.ExeDir = c.ExeDir.toStdString();
      auto form = Show(std::move(options));
      QTRY_VERIFY_WITH_TIMEOUT(!form->IsBusy(), kRunTimeoutMs);
      qunsetenv("XDG_DATA_HOME");
      QCOMPARE(StatusLines(*form).mid(5), c.Lines);
    }
    struct stat kept {};
    QVERIFY(stat(QFile::encodeName(piped.filePath("Report.txt")).constData(), &kept) == 0 && S_ISFIFO(kept.st_mode));
  }

  void saveReportAsWritesTheChosenReport() {
    QTemporaryDir target;
    QString offered, name;
    int filter = 0;
    TMainFormOptions options = Options({kData + "/sample.mkv"});
    options.ChooseSaveName = [&](const QString& suggested, const QStringList& filters) {
      offered = suggested;
      return TSaveChoice{name, filters.value(filter)};
    };
    auto form = Show(std::move(options));
    QVERIFY(!form->bttSaveReportAs->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!form->IsBusy(), kRunTimeoutMs);
    // The same bytes as the report saved beside the program (empty: nothing written).
    struct Case {
      QString Name;
      int Filter;  // 0: HTML page, 1: text report
      QString SameAs, Line;
    };
    const QString page = target.filePath("page.html"), notes = target.filePath("notes"),
                  txt = target.filePath("notes.txt"), lost = target.filePath("missing/page.html");
    for (const Case& c : {Case{page, 0, "Report.html", "Report saved as " + page},
                          Case{notes, 1, "Report.txt", "Report saved as " + notes},  // the text filter
                          Case{txt, 0, "Report.txt", "Report saved as " + txt},      // or the name's extension
                          Case{lost, 0, "", "Cannot write " + lost + ": No such file or directory."},
                          Case{"/dev/full", 1, "", "Cannot write /dev/full: Not a regular file."},
                          Case{"", 0, "", ""}}) {  // cancelled
      name = c.Name;
      filter = c.Filter;
      const qsizetype before = StatusLines(*form).size();
      QTest::mouseClick(form->bttSaveReportAs, Qt::LeftButton);
      QCOMPARE(StatusLines(*form).mid(before), c.Line.isEmpty() ? QStringList() : QStringList({c.Line}));
      if (!c.SameAs.isEmpty()) QCOMPARE(ReadAll(c.Name), ReadAll(exeDir_.filePath(c.SameAs)));
    }
    QCOMPARE(offered, QDir::homePath() + "/sample.html");
    // A save that fails half-way (past the largest file the process may write) keeps the
    // old file whole and says the system's reason.
    const QByteArray before = ReadAll(page);
    rlimit limit{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &limit) == 0);
    const rlimit small{1024, limit.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    name = page;
    filter = 0;
    QTest::mouseClick(form->bttSaveReportAs, Qt::LeftButton);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler);
    QCOMPARE(StatusLines(*form).last(), "Cannot write " + page + ": File too large.");
    QCOMPARE(ReadAll(page), before);
  }

  void unknownOptionsAreRefusedBeforeAnyWindow() {
    struct Case {
      QStringList Args;
      int Status;
      QByteArray Out, Err;
    };
    for (const Case& c : {Case{{"--bogus"}, 2, "", "ambrel: unknown option --bogus\n"},
                          Case{{"-z", kData + "/sample.mkv"}, 2, "", "ambrel: unknown option -z\n"},
                          Case{{"--version"}, 0, "ambrel 0.1.0\n", ""}, Case{{"--help"}, 0, "Usage: ambrel", ""}}) {
      QProcess ambrel;
      ambrel.start(AMBREL_WINDOW_PATH, c.Args);
      QVERIFY(ambrel.waitForFinished(kRunTimeoutMs));
      QCOMPARE(ambrel.exitCode(), c.Status);
      QVERIFY2(ambrel.readAllStandardOutput().startsWith(c.Out), qPrintable(c.Args.join(' ')));
      QVERIFY2(ambrel.readAllStandardError().contains(c.Err), qPrintable(c.Args.join(' ')));
    }
    // Output closed at start fails as a write to it would.
    QProcess closed;
    closed.start("/bin/sh", {"-c", "exec \"$0\" --version >&-", AMBREL_WINDOW_PATH});
    QVERIFY(closed.waitForFinished(kRunTimeoutMs));
    QCOMPARE(closed.exitCode(), 1);
    QCOMPARE(closed.readAllStandardError(), QByteArray("ambrel: cannot write the output: Bad file descriptor\n"));
  }

  void screenshotShowsTheWindow() {
    const QString png = exeDir_.filePath("window.png");
    QProcess ambrel;
    ambrel.start(AMBREL_WINDOW_PATH, {"--screenshot", png, kData + "/sample.mkv"});
    QVERIFY(ambrel.waitForFinished(kRunTimeoutMs));
    QCOMPARE(ambrel.exitCode(), 0);
    const QImage picture(png);
    QVERIFY(!picture.isNull());
    QVERIFY(picture.width() >= 400 && picture.height() >= 300);
    // Not a blank picture: the report and the controls are drawn.
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 7) {
      for (int x = 0; x < picture.width(); x += 7) colours << picture.pixel(x, y);
    }
    QVERIFY(colours.size() > 8);
  }
};

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
