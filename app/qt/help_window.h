// The help viewer: the HTML help file (tarvo.html) in a
// simple browser window, opened at a topic's anchor ("dlg_INFO", ...) or at
// its top for the contents. One window serves every request.
#pragma once

#include <QString>
#include <QTextBrowser>

namespace tarvo {

// The help file: beside the program in the build tree, in the data folder
// (../share/tarvo/help from bin) once installed.
QString HelpFilePath();

class HelpWindow : public QTextBrowser {
  Q_OBJECT
 public:
  explicit HelpWindow(const QString& file);
  // Shows the file at the topic ("" for its top) and brings the window up.
  void ShowTopic(const QString& topic);

 private:
  QString file_;
};

}  // namespace tarvo
