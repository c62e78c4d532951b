// The main window over a volume of the image bus: start-up with /A and with
// the drive dialog, the menu bar and its states, clicks mapped to rows in
// the three listing modes and across pages, the popup, the accelerators,
// the status-line help, the exit question, the typed command line, Esc
// during a copy to the PC, and the demo cartridge.
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "gui_harness.h"
#include "gui_session.h"
#include "support/scratch_files.h"
#include "ui/listing.h"
#include "ui/menu_model.h"

namespace tarvo {

using testing::ById;
using testing::ClickId;
using testing::WhenDialogOpens;
using testing::WhenPopupOpens;

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY(!testing::BrowseImage().empty()); }

  void init() {
    session_ = std::make_unique<GuiSession>();
    session_->ui().SetMessageTimeout(0);
  }
  void cleanup() { session_.reset(); }

  void startsOnTheDriveOfOptionA() {
    Start({"/A00"});
    QCOMPARE(window().windowTitle(), QString("Tarvo : Browse"));
    QCOMPARE(view().size(), QSize(640, 425));
    QCOMPARE(view().statusLeft(), QString("Select a menu or press F1 for help..."));
    QCOMPARE(ctx().listing.count, std::uint16_t{4});
    QVERIFY(!session_->ui().waiting());
    QVERIFY(!QApplication::overrideCursor());
  }

  void startsThroughTheDriveDialog() {
    WhenDialogOpens("DLG_DEV", [](QWidget* d) { ClickId(d, 101); });
    Start({});
    QCOMPARE(ctx().volume.targetId, std::uint8_t{0});
    QCOMPARE(window().windowTitle(), QString("Tarvo : Browse"));
  }

  void withoutADriveTheFileMenuIsGrayed() {
    WhenDialogOpens("DLG_DEV", [](QWidget* d) { ClickId(d, 100); });
    Start({});
    QCOMPARE(view().statusLeft(), QString("Select drive in the 'Mac Drive' menu"));
    QVERIFY(!session_->window().menus().popup(1)->menuAction()->isEnabled());
    QVERIFY(!Action(kMenuVolumeInfo)->isEnabled());
    for (int id : {106, 107, 113, 112, 110, 109}) QVERIFY(!ById<QPushButton>(&view(), id)->isEnabled());
  }

  void menuBarFollowsTheModel() {
    Start({"/A00"});
    QMenuBar* bar = window().menuBar();
    QCOMPARE(bar->actions().size(), 3);
    QCOMPARE(bar->actions()[0]->text(), QString("Mac &Drive"));
    auto* helpBar = qobject_cast<QMenuBar*>(bar->cornerWidget(Qt::TopRightCorner));
    QVERIFY(helpBar);
    QCOMPARE(helpBar->actions()[0]->text(), QString("&Help"));
    QCOMPARE(Action(kMenuSelectDrive)->text(), QString("&Select Drive\tAlt+D"));
    QCOMPARE(session_->window().menus().popup(0)->actions().size(), 16);  // items, separators, "Recent images"
    QVERIFY(Action(kMenuNormalCopy)->isChecked());
    QVERIFY(Action(kMenuShortListing)->isChecked());
    QVERIFY(!Action(kMenuExtendedListing)->isChecked());
    QCOMPARE(Action(kMenuLock)->text(), QString("Lock volume"));
    QCOMPARE(ById<QPushButton>(&view(), 106)->geometry(), QRect(12, 4, 90, 25));
    QCOMPARE(ById<QPushButton>(&view(), 109)->geometry(), QRect(12 + 103 * 2 + 93 * 3, 4, 60, 25));
  }

  void menuStatesFollowFolderAndSelection() {
    Start({"/A00"});
    QVERIFY(!Action(kMenuRoot)->isEnabled());
    QVERIFY(!ById<QPushButton>(&view(), kMenuParent)->isEnabled());
    QVERIFY(!Action(kMenuCopyToPc)->isEnabled());
    QVERIFY(!ById<QPushButton>(&view(), kMenuRename)->isEnabled());
    ClickRow(Row("Sub"));
    QVERIFY(Action(kMenuCopyToPc)->isEnabled());
    QVERIFY(ById<QPushButton>(&view(), kMenuDelete)->isEnabled());
    QTest::mouseDClick(&view(), Qt::LeftButton, {}, PointOf(Row("Sub")));
    QCOMPARE(ctx().volume.current.currentDirName, std::string("Sub "));
    QVERIFY(Action(kMenuParent)->isEnabled());
    QVERIFY(ById<QPushButton>(&view(), kMenuRoot)->isEnabled());
    QVERIFY(!Action(kMenuCopyToPc)->isEnabled());  // entering dropped the selection
    ClickId(&view(), kMenuParent);
    QCOMPARE(ctx().volume.current.currentDirName, std::string("Root  "));
  }

  void clicksMapToRowsInEveryModeAndPage() {
    Start({"/A00"});
    QTest::mouseDClick(&view(), Qt::LeftButton, {}, PointOf(Row("Many")));
    QCOMPARE(ctx().listing.count, std::uint16_t{40});
    ClickLine(0, false);
    ClickLine(0, true);
    ClickLine(1, false);
    QCOMPARE(Selected(), (std::vector<int>{0, 1, 2}));
    window().RunCommand(kMenuDeselectAll);
    QVERIFY(Action(kMenuNextScreen)->isEnabled());
    window().RunCommand(kMenuNextScreen);
    QVERIFY(Action(kMenuFirstScreen)->isEnabled());
    ClickLine(0, false);
    ClickLine(1, true);  // page 2 holds 4 rows: 36 | 37, 38 | 39
    ClickLine(2, false);  // past the page: nothing
    QCOMPARE(Selected(), (std::vector<int>{36, 39}));
    window().RunCommand(kMenuDeselectAll);
    window().RunCommand(kMenuExtendedListing);  // first stays 36
    ClickLine(1, true);
    QCOMPARE(Selected(), (std::vector<int>{37}));
    window().RunCommand(kMenuDeselectAll);
    window().RunCommand(kMenuFirstScreen);
    window().RunCommand(kMenuSignatureListing);
    ClickLine(17, false);
    window().RunCommand(kMenuNextScreen);
    ClickLine(0, false);
    ClickLine(0, false);  // a second click deselects
    ClickLine(5, false);
    QCOMPARE(Selected(), (std::vector<int>{17, 23}));
  }

  void popupGraysDumpAndAttributesForFolders() {
    Start({"/A00"});
    for (const auto& [name, folder] : {std::pair{"Sub", true}, std::pair{"Top.txt", false}}) {
      const int row = Row(name);
      WhenPopupOpens([folder = folder](QWidget* popup) {
        QCOMPARE(popup->objectName(), QString("POPMENU"));
        QCOMPARE(popup->actions().size(), 5);
        QCOMPARE(ById<QAction>(popup, kMenuDump)->isEnabled(), !folder);
        QCOMPARE(ById<QAction>(popup, kMenuAttributes)->isEnabled(), !folder);
        QVERIFY(ById<QAction>(popup, kMenuCopyToPc)->isEnabled());
        popup->close();
      });
      QTest::mouseClick(&view(), Qt::RightButton, {}, PointOf(row));
      QVERIFY(IsSelected(ctx().listing, static_cast<std::uint16_t>(row)));
    }
  }

  void acceleratorsRunTheirCommands() {
    Start({"/A00"});
    QTest::keyClick(&window(), Qt::Key_E, Qt::AltModifier);
    QVERIFY(Action(kMenuExtendedListing)->isChecked());
    QTest::keyClick(&window(), Qt::Key_F10, Qt::ControlModifier);
    QCOMPARE(CountSelected(ctx().listing), ctx().listing.count);
    QTest::keyClick(&window(), Qt::Key_F10);
    QCOMPARE(CountSelected(ctx().listing), std::uint16_t{0});
    bool driveDialog = false;
    WhenDialogOpens("DLG_DEV", [&driveDialog](QWidget* d) {
      driveDialog = true;
      ClickId(d, 101);
    });
    QTest::keyClick(&window(), Qt::Key_D, Qt::AltModifier);  // the accelerator, not the menu's mnemonic
    QVERIFY(driveDialog);
  }

  void hoveredItemsShowTheirHelp() {
    Start({"/A00"});
    QMenu* drive = session_->window().menus().popup(0);
    emit drive->hovered(Action(kMenuFormat));
    QCOMPARE(view().statusLeft(), QString("Format a medium as a Macintosh volume."));
    emit drive->hovered(Action(kMenuExit));
    QCOMPARE(view().statusLeft(), QString("Exit to Windows."));
    emit drive->aboutToHide();
    QCOMPARE(view().statusLeft(), QString("Select a menu or press F1 for help..."));
    // Grayed in the root folder: no hover signal, the mouse over it.
    QMenu* file = session_->window().menus().popup(1);
    QVERIFY(!Action(kMenuRoot)->isEnabled());
    file->popup(QPoint(0, 0));
    const QPoint at = file->actionGeometry(Action(kMenuRoot)).center();
    QMouseEvent move(QEvent::MouseMove, at, file->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(file, &move);
    QCOMPARE(view().statusLeft(), QString("Return to root directory."));
    file->hide();
  }

  void commandLineRunsTheTypedCommand() {
    Start({"/A00"});
    WhenDialogOpens("DLG_COMM", [](QWidget* d) {
      QTest::keyClicks(ById<QLineEdit>(d, 150), "cd sub");
      ClickId(d, 153);
    });
    QTest::keyClick(&window(), Qt::Key_C, Qt::AltModifier);
    QCOMPARE(ctx().volume.current.currentDirName, std::string("Sub "));
    QVERIFY(Action(kMenuParent)->isEnabled());
    WhenDialogOpens("DLG_COMM", [](QWidget* d) {
      QTest::keyClicks(ById<QLineEdit>(d, 150), "cd ..");
      ClickId(d, 100);
    });
    window().RunCommand(kMenuCommandLine);
    QCOMPARE(ctx().volume.current.currentDirName, std::string("Sub "));
  }

  // Esc is read between the files of a copy; Yes ends it there and the rows
  // not yet copied stay selected, No lets it run to the end.
  void escDuringACopyToThePcAsksToAbort() {
    Start({"/A00"});
    ClickRow(Row("Many"));
    window().RunCommand(kMenuChangeDirectory);
    ctx().settings.useCurrentDirectory = true;
    for (bool abort : {true, false}) {
      testing::ScratchDir dir;
      testing::InDirectory in(dir.Path(""));
      window().RunCommand(kMenuSelectAll);
      const int selected = CountSelected(ctx().listing);
      QVERIFY(selected > 2);
      QCoreApplication::postEvent(&window(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
      WhenDialogOpens("box", [abort](QWidget* box) {
        QVERIFY(static_cast<QMessageBox*>(box)->text().startsWith("You hit the Esc key."));
        static_cast<QMessageBox*>(box)->button(abort ? QMessageBox::Yes : QMessageBox::No)->click();
      });
      window().RunCommand(kMenuCopyToPc);
      const int copied = static_cast<int>(QDir(QString::fromStdString(dir.Path(""))).entryList(QDir::Files).size());
      if (abort) {
        QVERIFY(copied < selected);
        QCOMPARE(CountSelected(ctx().listing) + copied + 1, selected);  // the row being copied was taken
      } else {
        QCOMPARE(copied, selected);
        QCOMPARE(static_cast<int>(CountSelected(ctx().listing)), 0);
      }
      QVERIFY(window().isVisible());  // Esc did not reach the Exit accelerator
    }
  }

  void titleForgetsAVolumeNoLongerShown() {
    testing::ScratchDir dir;
    const std::string blank = dir.Path("blank.img");
    testing::WriteWholeFile(blank, std::vector<std::uint8_t>(1 << 20));
    Start({"--image", blank, "/A00"});
    QCOMPARE(window().windowTitle(), QString("Tarvo : Browse"));
    WhenDialogOpens("DLG_DEV", [](QWidget* d) {
      ClickId(d, 301);
      ClickId(d, 101);
    });
    window().RunCommand(kMenuSelectDrive);
    QCOMPARE(window().windowTitle(), QString("Tarvo"));
  }

  void startsOnTheDemoCartridge() {
    testing::ScratchDir dir;
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(dir.Path("cache")));
    const std::string error = session_->Start(testing::Options({"--demo"}));
    qunsetenv("XDG_CACHE_HOME");
    QCOMPARE(error, std::string());
    QCOMPARE(window().windowTitle(), QString("Tarvo : Tarvo Demo"));
    QVERIFY(ctx().listing.count > 0);
  }

  // Last: the confirmed exit ends the application's event loops, so no
  // modal dialog could run after it.
  void exitAsksFirst() {
    Start({"/A00"});
    WhenDialogOpens("DLG_QUIT", [](QWidget* d) { ClickId(d, 129); });
    QTest::keyClick(&window(), Qt::Key_Escape);
    QTRY_VERIFY(!ctx().settings.closeRequested);
    QVERIFY(window().isVisible());
    WhenDialogOpens("DLG_QUIT", [](QWidget* d) { ClickId(d, 128); });
    window().RunCommand(kMenuExit);
    QTRY_VERIFY(!window().isVisible());
  }

 private:
  void Start(std::vector<std::string> args) {
    args.insert(args.begin(), {"--image", testing::BrowseImage() + ",ro"});
    QCOMPARE(session_->Start(testing::Options(args)), std::string());
  }
  Context& ctx() { return session_->ctx(); }
  MainWindow& window() { return session_->window(); }
  MainView& view() { return session_->window().view(); }
  QAction* Action(int id) { return session_->window().menus().action(id); }

  int Row(const std::string& name) {
    for (int i = 0; i < ctx().listing.count; ++i)
      if (ctx().listing.rows[i].name == name) return i;
    qFatal("no row %s", name.c_str());
  }
  // The middle of a screen line; the right cell of the short listing.
  QPoint LinePoint(int line, bool right) {
    return QPoint(right ? 640 / 2 + 10 : 10, 72 + line * view().lineHeight() + view().lineHeight() / 2);
  }
  // A row of the first page of the short listing.
  QPoint PointOf(int row) { return LinePoint(row / 2, row % 2 == 1); }
  void ClickLine(int line, bool right) { QTest::mouseClick(&view(), Qt::LeftButton, {}, LinePoint(line, right)); }
  void ClickRow(int row) { QTest::mouseClick(&view(), Qt::LeftButton, {}, PointOf(row)); }
  std::vector<int> Selected() {
    std::vector<int> rows;
    for (int i = 0; i < ctx().listing.count; ++i)
      if (IsSelected(ctx().listing, static_cast<std::uint16_t>(i))) rows.push_back(i);
    return rows;
  }

  std::unique_ptr<GuiSession> session_;
};

}  // namespace tarvo

QTEST_MAIN(tarvo::MainWindowTest)
#include "main_window_qtest.moc"
