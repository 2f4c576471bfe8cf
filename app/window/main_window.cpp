// ambrel: the window. The first command-line argument, if any, is analysed at start.
// "ambrel --screenshot PNG [FILE]" starts the same way, waits until the window is idle,
// saves a picture of it to PNG and quits.
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "app/window/frmMain.h"
#include "io/StandardStreams.h"
#include "resources/Resources.h"

using namespace ambrel;

namespace {

const char kUsage[] =
    "Usage: ambrel [FILE]\n"
    "       ambrel --screenshot PNG [FILE]\n"
    "\n"
    "Opens the Ambrel window and analyses the Matroska FILE (.mkv, .mka, .mks) when given.\n"
    "  --screenshot PNG  analyse FILE, save a picture of the window to PNG and quit\n"
    "  -h, --help        show this text\n"
    "  --version         show the program's version\n";

const char kVersion[] = "ambrel 0.1.0\n";

int UsageError(const std::string& Message) {
  std::fprintf(stderr, "ambrel: %s\n%sRun 'ambrel --help' for the options.\n", Message.c_str(), kUsage);
  return 2;
}

// Prints Text on standard output; the exit status. Output closed at start leads to
// /dev/null now, so it fails as writing to the closed descriptor would have.
int PrintOut(const char* Text, bool OutputClosed) {
  std::fputs(Text, stdout);
  if (!OutputClosed && std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
  std::fprintf(stderr, "ambrel: cannot write the output: %s\n", std::strerror(OutputClosed ? EBADF : errno));
  return 1;
}

// Answers --help and --version and refuses options the window does not know, before any
// window system is needed. Qt's own options have one dash and are left to Qt. Returns
// the exit status when the run ends here.
std::optional<int> ReadLongOptions(int argc, char** argv, bool OutputClosed) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") return PrintOut(kUsage, OutputClosed);
    if (arg == "--version") return PrintOut(kVersion, OutputClosed);
    if (arg == "--screenshot") {
      ++i;  // its PNG
    } else if (arg.starts_with("--")) {
      return UsageError("unknown option " + arg);
    }
  }
  return std::nullopt;
}

int Screenshot(QApplication& App, const QString& Png, const QStringList& Arguments) {
  TMainForm form(DefaultMainFormOptions(Arguments));
  form.show();
  int status = 0;
  QTimer poll;
  poll.setInterval(50);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (form.IsBusy()) return;
    poll.stop();
    if (!form.grab().save(Png, "PNG")) {
      std::fprintf(stderr, "ambrel: cannot write %s\n", Png.toLocal8Bit().constData());
      status = 1;
    }
    App.quit();
  });
  poll.start();
  App.exec();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything else is opened: a closed standard descriptor would be handed to the
  // first file or to the media framework host's channel.
  const platform::TClosedStreams closed = platform::OpenClosedStandardStreams();
  if (const std::optional<int> status = ReadLongOptions(argc, argv, closed.Out)) return *status;
  QApplication app(argc, argv);
  QApplication::setApplicationName("Ambrel");
  QApplication::setOrganizationName("Ambrel");
  QPixmap logo;
  const std::string_view logoBytes = ambrel::resources::Logo();
  logo.loadFromData(reinterpret_cast<const uchar*>(logoBytes.data()), static_cast<uint>(logoBytes.size()), "PNG");
  QApplication::setWindowIcon(QIcon(logo));
  // Qt has taken its own options out; what starts with a dash now is not an option here.
  QStringList arguments = QApplication::arguments().mid(1);
  for (const QString& arg : arguments) {
    if (arg == "--") break;
    if (arg.startsWith('-') && arg != "-" && arg != "--screenshot") return UsageError("unknown option " + arg.toStdString());
  }
  arguments.removeOne("--");
  if (!arguments.isEmpty() && arguments.first() == "--screenshot") {
    if (arguments.size() < 2 || arguments.size() > 3) return UsageError("--screenshot takes PNG and at most one FILE");
    return Screenshot(app, arguments[1], arguments.mid(2));
  }
  TMainForm form(DefaultMainFormOptions(arguments));
  form.show();
  return QApplication::exec();
}
