#include "app/window/ReportFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "io/SaveFile.h"

namespace ambrel {

namespace {

QString WithSlash(QString Dir) { return Dir.endsWith('/') ? Dir : Dir + '/'; }

}  // namespace

QString ChooseReportFolder(const QString& ExeDir, QString* Problem) {
  const QFileInfo exe(ExeDir);
  if (!ExeDir.isEmpty() && exe.isDir() && exe.isWritable()) return WithSlash(ExeDir);
  QString data = qEnvironmentVariable("XDG_DATA_HOME");
  // The data folder must be absolute; a relative one is ignored, as the folder rules say.
  if (data.isEmpty() || QDir::isRelativePath(data)) data = QDir::homePath() + "/.local/share";
  const QString dir = WithSlash(data) + "ambrel";
  if (QDir().mkpath(dir) && QFileInfo(dir).isWritable()) return WithSlash(dir);
  if (Problem) *Problem = "neither " + ExeDir + " nor " + dir + " can be written";
  return {};
}

QString WriteReportFile(const QString& Path, std::string_view Bytes) {
#ifdef _WIN32
  const std::string path = Path.toStdString();  // the file layer takes UTF-8 names
#else
  const std::string path = QFile::encodeName(Path).toStdString();
#endif
  return QString::fromUtf8(platform::SaveFile(path, Bytes));
}

}  // namespace ambrel
