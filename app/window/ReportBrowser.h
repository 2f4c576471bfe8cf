// The HTML view. It shows the assembled report page, and the welcome page with its logo
// from the program's embedded resources ("res:" addresses).
#pragma once

#include <QTextBrowser>
#include <string>

namespace ambrel {

class TReportBrowser : public QTextBrowser {
  Q_OBJECT

 public:
  explicit TReportBrowser(QWidget* Parent = nullptr);

  // The welcome page of the program at ExePath.
  static QUrl WelcomePageUrl(const QString& ExePath);
  // Shows a page held in memory (UTF-8, with or without a byte-order mark).
  void LoadHTMLFromBytes(const std::string& Page);

  QVariant loadResource(int Type, const QUrl& Name) override;
};

}  // namespace ambrel
