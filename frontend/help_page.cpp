#include "frontend/help_page.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

namespace tarn::dorn {

QString HelpPagePath() {
  const QDir directory(QApplication::applicationDirPath());
  for (const QString& candidate :
       {directory.filePath(QStringLiteral("dorn.html")),
        directory.filePath(QStringLiteral("../share/tarn/dorn.html"))}) {
    if (QFileInfo::exists(candidate)) return QDir::cleanPath(candidate);
  }
  return {};
}

void OpenHelp(const QString& topic) {
  static QPointer<QTextBrowser> browser;
  const QString path = HelpPagePath();
  if (path.isEmpty()) {
    QMessageBox::information(nullptr, QApplication::applicationName(),
                             QObject::tr("The help page dorn.html is not installed."));
    return;
  }
  if (!browser) {
    browser = new QTextBrowser;
    browser->setAttribute(Qt::WA_DeleteOnClose);
    browser->setWindowTitle(QObject::tr("Dorn Help"));
    browser->resize(640, 560);
  }
  QUrl url = QUrl::fromLocalFile(path);
  if (!topic.isEmpty()) url.setFragment(topic);
  browser->setSource(url);
  browser->show();
  browser->raise();
}

}  // namespace tarn::dorn
