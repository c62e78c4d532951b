// Image files in the desktop program: an image named on the command line,
// "Open image..." and "New image..." (the file dialog replaced through its
// seam), the "Recent images" kept in the settings (here in a scratch
// folder), and files and images dropped on the window.
#include <QApplication>
#include <QDropEvent>
#include <QInputDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QSettings>
#include <QUrl>
#include <QtTest>
#include <filesystem>

#include "device/cartridge_models.h"
#include "gui_harness.h"
#include "gui_session.h"
#include "support/hfs_volume.h"
#include "support/scratch_files.h"
#include "ui/menu_model.h"

namespace tarvo {

using testing::ById;
using testing::ClickId;
using testing::WhenDialogOpens;

class ImageFilesTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    scratch_ = std::make_unique<testing::ScratchDir>();
    std::filesystem::create_directories(Path("home"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(Path("settings")));
    NewSession();
  }
  void cleanup() {
    session_.reset();
    scratch_.reset();
  }

  // The image on the command line opens without the drive dialog; the one
  // chosen in "Open image..." becomes the next drive; choosing the first
  // again in "Recent images" selects its drive, not a second one over the
  // same file. The list outlives the run.
  void openedImagesAreAttachedAndRemembered() {
    const QString first = Volume("first.img", "First");
    const QString second = Volume("second.img", "Second");
    Start({first.toStdString()});
    QCOMPARE(window().windowTitle(), QString("Tarvo : First"));
    bool askedToOpen = false;
    window().images().SetPathChooser([&](ImageFiles::Purpose purpose) {
      askedToOpen = purpose == ImageFiles::Purpose::kOpen;
      return second;
    });
    window().RunCommand(kMenuOpenImage);
    QVERIFY(askedToOpen);
    QCOMPARE(window().windowTitle(), QString("Tarvo : Second"));
    QCOMPARE(ctx().volume.targetId, std::uint8_t{1});
    QCOMPARE(window().images().recent(), (QStringList{second, first}));

    QMenu* recent = window().images().recentMenu();
    QCOMPARE(recent->actions().size(), 2);
    recent->actions()[1]->trigger();
    QCOMPARE(window().windowTitle(), QString("Tarvo : First"));
    QCOMPARE(ctx().volume.targetId, std::uint8_t{0});
    QCOMPARE(window().images().recent(), (QStringList{first, second}));

    NewSession();
    QCOMPARE(window().images().recentMenu()->actions().size(), 2);
    QCOMPARE(window().images().recentMenu()->actions()[0]->text(), first);
  }

  // "New image..." asks the size, makes the image, formats it with the name
  // given and opens it.
  void newImageIsMadeFormattedAndOpened() {
    Start({Volume("first.img", "First").toStdString()});
    const QString made = QString::fromStdString(Path("made.img"));
    window().images().SetPathChooser([made](ImageFiles::Purpose) { return made; });
    WhenDialogOpens("ImageSize", [](QWidget* d) {
      auto* dialog = static_cast<QInputDialog*>(d);
      dialog->setTextValue("44 MB");
      dialog->accept();
    });
    WhenDialogOpens("DLG_FORM", [](QWidget* d) {
      ById<QLineEdit>(d, 516)->setText("Made");
      ClickId(d, 101);
    });
    window().RunCommand(kMenuNewImage);
    QCOMPARE(window().windowTitle(), QString("Tarvo : Made"));
    QCOMPARE(std::filesystem::file_size(made.toStdString()), std::uintmax_t{CartridgeSectors(44)} * 512);
    QVERIFY(QString::fromStdString(testing::HfsutilsOutput(Path("home"), made.toStdString(), "hvol"))
                .contains("\"Made\""));
    QCOMPARE(window().images().recent().first(), made);
  }

  // A file and a folder dropped on the listing are copied into the current
  // folder, the folder with its contents.
  void droppedFilesAreCopiedOntoTheVolume() {
    const QString image = Volume("drop.img", "Drop");
    Start({image.toStdString()});
    std::filesystem::create_directories(Path("pc/Tree"));
    testing::WriteWholeFile(Path("pc/Note.txt"), std::vector<std::uint8_t>{'h', 'i'});
    testing::WriteWholeFile(Path("pc/Tree/Leaf.txt"), std::vector<std::uint8_t>{'l'});
    Drop({Path("pc/Note.txt"), Path("pc/Tree")});
    QTRY_COMPARE(ctx().listing.count, std::uint16_t{2});
    const std::string root = testing::HfsutilsOutput(Path("home"), image.toStdString(), "hls");
    QVERIFY(root.find("Note.txt") != std::string::npos);
    QVERIFY(root.find("Tree") != std::string::npos);
    QVERIFY(testing::HfsutilsOutput(Path("home"), image.toStdString(), "hls Tree").find("Leaf.txt") !=
            std::string::npos);
  }

  // A single image dropped is attached and opened: known by its extension,
  // or by the volume it holds.
  void droppedImagesAreOpened() {
    Start({Volume("first.img", "First").toStdString()});
    const QString second = Volume("second.img", "Second");
    Drop({second.toStdString()});
    QTRY_COMPARE(window().windowTitle(), QString("Tarvo : Second"));
    std::filesystem::copy_file(Volume("third.img", "Third").toStdString(), Path("plain"));
    Drop({Path("plain")});
    QTRY_COMPARE(window().windowTitle(), QString("Tarvo : Third"));
    QCOMPARE(ctx().volume.targetId, std::uint8_t{2});
    QCOMPARE(ctx().listing.count, std::uint16_t{0});  // nothing was copied
  }

 private:
  std::string Path(const std::string& name) const { return scratch_->Path(name); }
  QString Volume(const std::string& name, const std::string& label) {
    if (!testing::MakeHfsVolume(Path("home"), Path(name), label, 1024)) qFatal("hformat failed");
    return QString::fromStdString(Path(name));
  }
  void NewSession() {
    session_.reset();
    session_ = std::make_unique<GuiSession>();
    session_->ui().SetMessageTimeout(0);
  }
  void Start(const std::vector<std::string>& args) {
    QCOMPARE(session_->Start(testing::Options(args)), std::string());
  }
  // Drags the files from the file manager and drops them on the listing.
  void Drop(const std::vector<std::string>& paths) {
    QList<QUrl> urls;
    for (const std::string& path : paths) urls << QUrl::fromLocalFile(QString::fromStdString(path));
    QMimeData data;
    data.setUrls(urls);
    const QPoint at(100, 150);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view(), &drop);
    QVERIFY(drop.isAccepted());
  }
  Context& ctx() { return session_->ctx(); }
  MainWindow& window() { return session_->window(); }
  MainView& view() { return session_->window().view(); }

  std::unique_ptr<testing::ScratchDir> scratch_;
  std::unique_ptr<GuiSession> session_;
};

}  // namespace tarvo

QTEST_MAIN(tarvo::ImageFilesTest)
#include "image_files_qtest.moc"
