#include "gui_harness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <memory>

#include "support/browse_volume.h"

namespace tarvo::testing {

namespace {

constexpr int kPollMs = 5;
constexpr int kPolls = 2000;

// After a failed check inside an answer the dialogs would wait forever:
// close them all so that the test can end.
void CloseDialogsAfterFailure() {
  if (!QTest::currentTestFailed()) return;
  for (int left = 10; left > 0 && QApplication::activeModalWidget(); --left) QApplication::activeModalWidget()->close();
  if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
}

// Looks for the widget every few milliseconds until it appears.
void Poll(std::function<QWidget*()> find, std::function<void(QWidget*)> act, int left) {
  QTimer::singleShot(kPollMs, [find, act, left] {
    if (QWidget* widget = find(); widget && widget->isVisible()) {
      act(widget);
      CloseDialogsAfterFailure();
    } else if (left > 0) {
      Poll(find, act, left - 1);
    } else {
      qWarning("no dialog or popup opened");
    }
  });
}

}  // namespace

void WhenDialogOpens(const QString& name, std::function<void(QWidget*)> act) {
  Poll(
      [name]() -> QWidget* {
        QWidget* modal = QApplication::activeModalWidget();
        return modal && modal->objectName() == name ? modal : nullptr;
      },
      std::move(act), kPolls);
}

void WhenPopupOpens(std::function<void(QWidget*)> act) {
  Poll([] { return QApplication::activePopupWidget(); }, std::move(act), kPolls);
}

void ClickId(QWidget* dialog, int id) {
  auto* button = ById<QAbstractButton>(dialog, id);
  if (!button) qFatal("no button %d in %s", id, qPrintable(dialog->objectName()));
  button->click();
}

StartupOptions Options(const std::vector<std::string>& args) {
  std::string error;
  std::optional<StartupOptions> options = ParseStartupOptions(args, error);
  if (!options) qFatal("bad options: %s", error.c_str());
  return *options;
}

const std::string& BrowseImage() {
  static std::unique_ptr<BrowseVolume> volume;
  static std::string image;
  if (!volume) {
    volume = std::make_unique<BrowseVolume>();
    if (volume->Build()) image = volume->image();
  }
  return image;
}

}  // namespace tarvo::testing
