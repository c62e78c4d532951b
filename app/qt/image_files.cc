#include "image_files.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QSettings>
#include <array>

#include "base/messages.h"
#include "qt_ui.h"
#include "ui/image_drive.h"

namespace tarvo {

namespace {

constexpr int kRecentImages = 8;
constexpr const char* kRecentKey = "recentImages";
constexpr std::array kCartridgeSizes{"44", "88", "105", "200", "270"};

QSettings Settings() { return QSettings(QStringLiteral("Tarvo"), QStringLiteral("tarvo")); }

QString FileFilter() {
  QStringList patterns;
  for (std::string_view extension : ImageExtensions())
    patterns << QStringLiteral("*.") + QString::fromLatin1(extension.data(), static_cast<qsizetype>(extension.size()));
  return QString::fromUtf8(kTextImageFiles) + " (" + patterns.join(' ') + ");;" + QString::fromUtf8(kTextAllFiles) +
         " (*)";
}

}  // namespace

ImageFiles::ImageFiles(Context& ctx, DriveBus& bus, QtUi& ui, QWidget& window)
    : QObject(&window), ctx_(ctx), bus_(bus), ui_(ui), window_(window) {}

void ImageFiles::AddRecentMenu(QMenu& menu, QAction* before) {
  recentMenu_ = new QMenu(QString::fromUtf8(kTextRecentImages), &menu);
  recentMenu_->setObjectName(QStringLiteral("RecentImages"));
  menu.insertMenu(before, recentMenu_);
  FillRecentMenu();
}

void ImageFiles::Open(const QString& path) {
  if (OpenImageDrive(ctx_, bus_, path.toStdString()) != ImageOpening::kRefused) Remember(path);
}

void ImageFiles::OpenChosen() {
  if (const QString path = ChoosePath(Purpose::kOpen); !path.isEmpty()) Open(path);
}

void ImageFiles::CreateChosen() {
  const QString path = ChoosePath(Purpose::kCreate);
  if (path.isEmpty()) return;
  const std::optional<int> megabytes = AskMegabytes();
  if (!megabytes) return;
  if (CreateImageDrive(ctx_, bus_, path.toStdString(), *megabytes) != ImageOpening::kRefused) Remember(path);
}

QStringList ImageFiles::recent() const { return Settings().value(kRecentKey).toStringList(); }

QString ImageFiles::ChoosePath(Purpose purpose) {
  ui_.EndWait();
  if (chooser_) return chooser_(purpose);
  if (purpose == Purpose::kOpen)
    return QFileDialog::getOpenFileName(&window_, QString::fromUtf8(kTextOpenImage), QString(), FileFilter());
  return QFileDialog::getSaveFileName(&window_, QString::fromUtf8(kTextNewImage), QString(), FileFilter());
}

// A cartridge size from the list, or any number of MB typed.
std::optional<int> ImageFiles::AskMegabytes() {
  QInputDialog dialog(&window_);
  dialog.setObjectName(QStringLiteral("ImageSize"));
  dialog.setWindowTitle(QString::fromUtf8(kTextNewImage));
  dialog.setLabelText(QString::fromUtf8(kTextImageSize));
  QStringList sizes;
  for (const char* size : kCartridgeSizes) sizes << QString::fromLatin1(size);
  dialog.setComboBoxItems(sizes);
  dialog.setComboBoxEditable(true);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  QString text = dialog.textValue().trimmed();
  if (text.endsWith(QStringLiteral("MB"), Qt::CaseInsensitive)) text.chop(2);
  bool number = false;
  const int megabytes = text.trimmed().toInt(&number);
  if (!number) return 0;  // refused by the image's creation, with its message
  return megabytes;
}

void ImageFiles::Remember(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  QStringList list = recent();
  list.removeAll(absolute);
  list.prepend(absolute);
  while (list.size() > kRecentImages) list.removeLast();
  Settings().setValue(kRecentKey, list);
  FillRecentMenu();
}

void ImageFiles::FillRecentMenu() {
  if (!recentMenu_) return;
  recentMenu_->clear();
  const QStringList list = recent();
  for (const QString& path : list) {
    QAction* action = recentMenu_->addAction(path);
    connect(action, &QAction::triggered, this, [this, path] { emit recentChosen(path); });
  }
  recentMenu_->setEnabled(!list.isEmpty());
}

}  // namespace tarvo
