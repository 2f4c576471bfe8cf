#include "app/window/ReportBrowser.h"

#include <QImage>

#include "resources/Resources.h"

namespace ambrel {

TReportBrowser::TReportBrowser(QWidget* Parent) : QTextBrowser(Parent) {}

QUrl TReportBrowser::WelcomePageUrl(const QString& ExePath) {
  QUrl url;
  url.setScheme("res");
  url.setPath(ExePath + "/RT_HTML/AMBREL_LOGO_HTML");
  return url;
}

namespace {

// The rich-text engine joins text that follows a heading or a list to that block, and
// shows a line break before a list as an empty line. An empty block after each heading
// and list keeps the report's lines apart; the page itself is not changed.
QString ForRichTextView(QString Html) {
  Html.replace("<br />\r\n<ul>", "\r\n<ul>");
  Html.replace("</h2>", "</h2><div></div>");
  Html.replace("</ul>", "</ul><div></div>");
  return Html;
}

}  // namespace

void TReportBrowser::LoadHTMLFromBytes(const std::string& Page) {
  std::string_view bytes(Page);
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  setHtml(ForRichTextView(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()))));
}

QVariant TReportBrowser::loadResource(int Type, const QUrl& Name) {
  if (Name.toString() == "about:blank") return QString("<html><body></body></html>");
  if (Name.scheme() == "res") {
    const QString path = Name.path();
    if (path.endsWith("/RT_HTML/AMBREL_LOGO_HTML")) {
      const std::string_view page = resources::WelcomePage();
      return QString::fromUtf8(page.data(), static_cast<qsizetype>(page.size()));
    }
    if (path.endsWith("/PNG/AMBREL_LOGO")) {
      const std::string_view logo = resources::Logo();
      return QImage::fromData(reinterpret_cast<const uchar*>(logo.data()), static_cast<int>(logo.size()), "PNG");
    }
    return {};
  }
  return QTextBrowser::loadResource(Type, Name);
}

}  // namespace ambrel
