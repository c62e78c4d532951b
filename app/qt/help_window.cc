#include "help_window.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QScrollBar>
#include <QUrl>

#include "app_icon.h"

namespace tarvo {

QString HelpFilePath() {
  const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/tarvo.html");
  if (QFileInfo::exists(beside)) return beside;
  return QCoreApplication::applicationDirPath() + QStringLiteral("/" TARVO_HELP_FROM_PROGRAM "/tarvo.html");
}

HelpWindow::HelpWindow(const QString& file) : file_(file) {
  setObjectName(QStringLiteral("help"));
  setWindowTitle(tr("Tarvo Help"));
  setWindowIcon(AppIcon());
  setOpenExternalLinks(true);
  resize(560, 480);
}

void HelpWindow::ShowTopic(const QString& topic) {
  if (QFileInfo::exists(file_)) {
    QUrl url = QUrl::fromLocalFile(file_);
    if (!topic.isEmpty()) url.setFragment(topic);
    setSource(url);
    if (topic.isEmpty()) verticalScrollBar()->setValue(0);
  } else {
    setPlainText(tr("The help file %1 is missing.").arg(file_));
  }
  show();
  raise();
  activateWindow();
}

}  // namespace tarvo
