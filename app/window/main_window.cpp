// ambrel: the window. The first command-line argument, if any, is analysed at start.
// "ambrel --screenshot PNG [FILE]" starts the same way, waits until the window is idle,
// saves a picture of it to PNG and quits.
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "app/window/frmMain.h"
#include "resources/Resources.h"

using namespace ambrel;

namespace {

const char kUsage[] =
    "Usage: ambrel [FILE]\n"
    "       ambrel --screenshot PNG [FILE]\n"
    "\n"
    "Opens the Ambrel window and analyses the Matroska FILE (.mkv, .mka, .mks) when given.\n"
    "  --screenshot PNG  analyse FILE, save a picture of the window to PNG and quit\n";

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
  QApplication app(argc, argv);
  QApplication::setApplicationName("Ambrel");
  QPixmap logo;
  const std::string_view logoBytes = ambrel::resources::Logo();
  logo.loadFromData(reinterpret_cast<const uchar*>(logoBytes.data()), static_cast<uint>(logoBytes.size()), "PNG");
  QApplication::setWindowIcon(QIcon(logo));
  QStringList arguments = QApplication::arguments().mid(1);
  if (!arguments.isEmpty() && (arguments.first() == "--help" || arguments.first() == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!arguments.isEmpty() && arguments.first() == "--screenshot") {
    if (arguments.size() < 2 || arguments.size() > 3) {
      std::fputs(kUsage, stderr);
      return 2;
    }
    return Screenshot(app, arguments[1], arguments.mid(2));
  }
  TMainForm form(DefaultMainFormOptions(arguments));
  form.show();
  return QApplication::exec();
}
