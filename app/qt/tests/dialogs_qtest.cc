// The dialogs: titles, control ids, results of every button including
// Cancel, Esc and the close box, the help button, and the dialogs of the
// core's models (drive and partition choice) driving their models.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QtTest>

#include "device/drive_selection.h"
#include "dialogs/about_dialog.h"
#include "dialogs/capacity_dialog.h"
#include "dialogs/info_dialog.h"
#include "dialogs/quit_dialog.h"
#include "dialogs/same_drive_dialog.h"
#include "gui_harness.h"
#include "gui_session.h"
#include "support/scratch_files.h"
#include "ui/command_dialog.h"
#include "ui/copy_option_dialogs.h"
#include "ui/destination_dialog.h"
#include "ui/device_dialog.h"
#include "ui/dispatcher.h"
#include "ui/log_dialog.h"
#include "ui/mac_copy_dialog.h"
#include "ui/menu_model.h"
#include "ui/menu_state.h"
#include "ui/name_dialog.h"
#include "ui/partition_dialog.h"

namespace tarvo {

using testing::ById;
using testing::ClickId;
using testing::WhenDialogOpens;

namespace {

void PressEscape(QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); }

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { session_ = std::make_unique<GuiSession>(); }
  void cleanup() { session_.reset(); }

  void sameDriveAnswersEachButton() {
    const std::vector<std::pair<int, SameDriveChoice>> cases{
        {309, SameDriveChoice::kUseSame}, {311, SameDriveChoice::kRescan}, {310, SameDriveChoice::kCancel}};
    for (const auto& [id, choice] : cases) {
      WhenDialogOpens("DLG_SAME", [id = id](QWidget* dialog) {
        QCOMPARE(dialog->windowTitle(), QString("Drive to be used"));
        ClickId(dialog, id);
      });
      QCOMPARE(session_->ui().AskSameDrive(), choice);
    }
    WhenDialogOpens("DLG_SAME", PressEscape);
    QCOMPARE(session_->ui().AskSameDrive(), SameDriveChoice::kCancel);
    WhenDialogOpens("DLG_SAME", [](QWidget* dialog) { dialog->close(); });
    QCOMPARE(session_->ui().AskSameDrive(), SameDriveChoice::kCancel);
  }

  void existingFileAnswersEachButtonAndForAll() {
    const std::vector<std::pair<int, ExistingFileAction>> cases{{330, ExistingFileAction::kReplace},
                                                                {331, ExistingFileAction::kSkip},
                                                                {332, ExistingFileAction::kKeepBoth}};
    for (const auto& [id, action] : cases) {
      for (const bool forAll : {false, true}) {
        WhenDialogOpens("DLG_EXIST", [id = id, forAll](QWidget* dialog) {
          QCOMPARE(dialog->windowTitle(), QString("File already exists"));
          if (forAll) ById<QCheckBox>(dialog, 333)->click();
          ClickId(dialog, id);
        });
        const ExistingFileAnswer answer = session_->ui().AskExistingFile("\"Note.txt\" already exists on the PC.");
        QCOMPARE(answer.action, action);
        QCOMPARE(answer.forAll, forAll);
      }
    }
    // Esc and the close box lose nothing.
    WhenDialogOpens("DLG_EXIST", PressEscape);
    QCOMPARE(session_->ui().AskExistingFile("x").action, ExistingFileAction::kKeepBoth);
    WhenDialogOpens("DLG_EXIST", [](QWidget* dialog) { dialog->close(); });
    QCOMPARE(session_->ui().AskExistingFile("x").action, ExistingFileAction::kKeepBoth);
  }

  void capacityAnswersTheChoice() {
    WhenDialogOpens("DLG_CAPA", [](QWidget* dialog) {
      QCOMPARE(ById<QRadioButton>(dialog, 303)->text(), QString("105 MB"));
      ById<QRadioButton>(dialog, 303)->click();
      ClickId(dialog, 101);
    });
    CapacityAnswer answer = session_->ui().AskCapacity();
    QVERIFY(answer.ok);
    QCOMPARE(answer.choice, std::optional<int>(3));
    WhenDialogOpens("DLG_CAPA", [](QWidget* dialog) { ClickId(dialog, 101); });
    answer = session_->ui().AskCapacity();
    QVERIFY(answer.ok && !answer.choice);
    WhenDialogOpens("DLG_CAPA", [](QWidget* dialog) {
      ById<QRadioButton>(dialog, 300)->click();
      ClickId(dialog, 100);
    });
    QVERIFY(!session_->ui().AskCapacity().ok);
  }

  void infoIgnoresEscAndShowsEveryFigure() {
    VolumeInfo info;
    info.volumeSize = 41934848;
    info.catalogSectors = 638;
    InfoDialog dialog(info, nullptr);
    QCOMPARE(dialog.windowTitle(), QString("Informations about the Macintosh volume"));
    QCOMPARE(ById<QLabel>(&dialog, 500)->text(), QString("41934848"));
    QCOMPARE(ById<QLabel>(&dialog, 510)->text(), QString("638"));
    WhenDialogOpens("DLG_INFO", [](QWidget* d) {
      PressEscape(d);
      QVERIFY(d->isVisible());
      ClickId(d, 101);
    });
    QCOMPARE(session_->ui().RunDialog(dialog), 1);
    WhenDialogOpens("DLG_INFO", [](QWidget* d) { d->close(); });
    QCOMPARE(session_->ui().RunDialog(dialog), 0);
  }

  void quitAndAbout() {
    QuitDialog quit(nullptr);
    QCOMPARE(quit.windowTitle(), QString("Exit Program"));
    QVERIFY(ById<QLabel>(&quit, 508)->text().contains("Release"));
    QCOMPARE(ById<QLabel>(&quit, 510)->text(), QString("Do you really want to quit?"));
    const std::vector<std::pair<std::function<void(QWidget*)>, int>> answers{
        {[](QWidget* d) { ClickId(d, 128); }, 1},
        {[](QWidget* d) { ClickId(d, 129); }, 0},
        {PressEscape, 0},
        {[](QWidget* d) { d->close(); }, 0}};
    for (const auto& [act, result] : answers) {
      WhenDialogOpens("DLG_QUIT", act);
      QCOMPARE(session_->ui().RunDialog(quit), result);
    }
    AboutDialog about(nullptr);
    QCOMPARE(about.windowTitle(), QString("About Tarvo"));
    WhenDialogOpens("DLG_APROP", PressEscape);
    QCOMPARE(session_->ui().RunDialog(about), 0);
  }

  void helpButtonOpensTheDialogsTopic() {
    QuitDialog quit(nullptr);
    QCOMPARE(quit.helpTopic(), QString("dlg_QUIT"));
    session_->ui().SetHelpFile(QFINDTESTDATA("../help/tarvo.html"));
    WhenDialogOpens("DLG_QUIT", [](QWidget* d) {
      ClickId(d, 149);
      QVERIFY(d->isVisible());  // the dialog stays
      ClickId(d, 129);
    });
    session_->ui().RunDialog(quit);
    auto* help = qobject_cast<QTextBrowser*>(
        [] {
          for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "help") return w;
          return static_cast<QWidget*>(nullptr);
        }());
    QVERIFY(help && help->isVisible());
    QCOMPARE(help->source().fragment(), QString("dlg_QUIT"));
    QVERIFY(help->toHtml().contains("Exit Program"));
  }

  void helpFileHasATopicForEveryDialog() {
    QFile file(QFINDTESTDATA("../help/tarvo.html"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    for (const char* name : {"DEV", "DEST", "MCOP", "SAME", "CAPA", "PART", "FORM", "REN", "NOUV", "NOMD", "ATTR",
                             "ATT2", "INFO", "EXIST", "OPT", "PORT", "FLOG", "RECUP", "PARAM", "COMM", "QUIT", "APROP"}) {
      QVERIFY2(html.contains(QStringLiteral("name=\"dlg_%1\"").arg(name)), name);
    }
  }

  void partitionDialogDrivesItsModel() {
    Context& ctx = session_->ctx();
    ctx.volume.targetId = 0;
    ctx.volume.volumeOrigin = 96;
    PartitionList list;
    list.entries[0] = {"One", 96, 1000};
    list.entries[1] = {"Two", 1096, 2000};
    list.count = 2;
    // OK without a row: the message, and the dialog stays; then row 1.
    WhenDialogOpens("DLG_PART", [](QWidget* d) {
      QCOMPARE(d->windowTitle(), QString("Select Partition"));
      QCOMPARE(ById<QLabel>(d, 401)->text(), QString("Two"));
      QCOMPARE(ById<QLabel>(d, 501)->text(), QString("1096"));
      QVERIFY(!ById<QRadioButton>(d, 302)->isEnabled());
      WhenDialogOpens("DLGMESS", [d](QWidget* message) {
        QCOMPARE(ById<QLabel>(message, 1128)->text(), QString("Please select a partition on the volume."));
        ClickId(message, 1);
        QVERIFY(d->isVisible());
        ById<QRadioButton>(d, 301)->click();
        ClickId(d, 101);
      });
      ClickId(d, 101);
    });
    QCOMPARE(ChoosePartition(ctx, list), 1);
    WhenDialogOpens("DLG_PART", PressEscape);
    QCOMPARE(ChoosePartition(ctx, list), -1);
    QCOMPARE(ctx.volume.volumeOrigin, 0);
    QCOMPARE(ctx.volume.targetId, std::uint8_t{0});
    WhenDialogOpens("DLG_PART", [](QWidget* d) { d->close(); });
    QCOMPARE(ChoosePartition(ctx, list), -1);
    QCOMPARE(ctx.volume.targetId, kNoDevice);
  }

  void nameDialogsReturnTheEditedName() {
    NameDialog rename("DLG_NOMD", "File name on the DOS volume", "Caf\xe9.txt", "Caf\xe9.txt", 30);
    WhenDialogOpens("DLG_NOMD", [](QWidget* d) {
      QCOMPARE(d->windowTitle(), QString("File name on the DOS volume"));
      QCOMPARE(ById<QLabel>(d, 516)->text(), QString::fromUtf8("Caf\u00e9.txt"));
      ById<QLineEdit>(d, 502)->setText(QString::fromUtf8("na\u00efve.txt"));
      ClickId(d, 101);
    });
    session_->ui().RunNameDialog(rename);
    QCOMPARE(rename.result(), std::optional<std::string>("na\xefve.txt"));
    NameDialog folder("DLG_NOUV", "New Directory", "", "DIR", 39);
    WhenDialogOpens("DLG_NOUV", [](QWidget* d) {
      QCOMPARE(ById<QLineEdit>(d, 503)->text(), QString("DIR"));
      d->close();
    });
    session_->ui().RunNameDialog(folder);
    QVERIFY(!folder.result());
  }

  void namingAndPortClicksTakeEffectAtOnce() {
    ProgramSettings& settings = session_->ctx().settings;
    settings.namingMode = NamingMode::kLong;
    NamingDialog naming(settings);
    WhenDialogOpens("DLG_OPT", [&settings](QWidget* d) {
      QVERIFY(ById<QRadioButton>(d, 400)->isChecked());
      ById<QRadioButton>(d, 401)->click();
      QCOMPARE(settings.namingMode, NamingMode::kShort);
      ClickId(d, 100);
    });
    session_->ui().RunNamingDialog(naming);
    QCOMPARE(naming.result(), 0);
    QCOMPARE(settings.namingMode, NamingMode::kLong);  // Cancel puts the mode back
    NamingDialog again(settings);
    WhenDialogOpens("DLG_OPT", [](QWidget* d) {
      ById<QRadioButton>(d, 402)->click();
      ClickId(d, 101);
    });
    session_->ui().RunNamingDialog(again);
    QCOMPARE(settings.namingMode, NamingMode::kOnTheFly);

    // The copy mode, in step with the Options menu both ways.
    DispatchCommand(session_->ctx(), kMenuAppleSingleCopy);
    NamingDialog modes(settings);
    WhenDialogOpens("DLG_OPT", [&settings](QWidget* d) {
      QVERIFY(ById<QRadioButton>(d, 414)->isChecked());
      QCOMPARE(ById<QRadioButton>(d, 412)->text(), QString("MacBinary II"));
      ById<QRadioButton>(d, 416)->click();
      QCOMPARE(CheckedCopyItem(settings.modeFlags), int{kMenuTextCopy});
      ClickId(d, 100);
    });
    session_->ui().RunNamingDialog(modes);
    QCOMPARE(CheckedCopyItem(settings.modeFlags), int{kMenuAppleSingleCopy});  // Cancel puts it back
    NamingDialog modesAgain(settings);
    WhenDialogOpens("DLG_OPT", [](QWidget* d) {
      ById<QRadioButton>(d, 413)->click();
      ClickId(d, 101);
    });
    session_->ui().RunNamingDialog(modesAgain);
    QCOMPARE(settings.modeFlags & kCopyModeBits, int{kCopyBinHex});
    QCOMPARE(settings.namingMode, NamingMode::kOnTheFly);

    PortDialog ports(settings);
    WhenDialogOpens("DLG_PORT", [](QWidget* d) {
      QVERIFY(ById<QRadioButton>(d, 500)->isChecked());
      QCOMPARE(ById<QRadioButton>(d, 502)->text(), QString("LPT2"));
      QCOMPARE(ById<QRadioButton>(d, 504)->text(), QString("COM1"));
      ById<QRadioButton>(d, 502)->click();
      PressEscape(d);
    });
    session_->ui().RunPortDialog(ports);
    QCOMPARE(ports.result(), 0);
    QCOMPARE(settings.outputPort, std::uint8_t{2});  // Cancel does not undo the click
  }

  void destinationDialogNavigatesAndCreates() {
    testing::ScratchDir dir;
    QDir().mkpath(QString::fromStdString(dir.Path("alpha")));
    const QString start = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QString::fromStdString(dir.Path(""))));
    HostPcDirectories pc;
    DestinationDialog model(session_->ctx(), pc, 106);
    WhenDialogOpens("DLG_DEST", [](QWidget* d) {
      QCOMPARE(d->windowTitle(), QString("Target Directory"));
      QCOMPARE(ById<QPushButton>(d, 113)->text(), QString("Copy in current directory"));
      auto* directories = ById<QListWidget>(d, 1133);
      const QList<QListWidgetItem*> alpha = directories->findItems("[alpha]", Qt::MatchExactly);
      QCOMPARE(alpha.size(), 1);
      emit directories->itemDoubleClicked(alpha[0]);
      QVERIFY(ById<QLabel>(d, 1131)->text().endsWith("alpha"));
      WhenDialogOpens("DLG_NOUV", [d](QWidget* ask) {
        ById<QLineEdit>(ask, 503)->setText("beta");
        ClickId(ask, 101);
        QTimer::singleShot(0, d, [d] { ClickId(d, 113); });
      });
      ClickId(d, 503);
    });
    session_->ui().RunDestinationDialog(model);
    QCOMPARE(model.result(), 1);
    QVERIFY(QDir::currentPath().endsWith("alpha/beta"));
    QDir::setCurrent(start);
  }

  // The PC directory dialogs open over the main window and fit inside its
  // 640 pixels, even on a deep PC folder with long names.
  void pcDirectoryDialogsFitTheMainWindow() {
    testing::ScratchDir dir;
    const std::string deep = dir.Path(std::string(60, 'd') + "/" + std::string(60, 'e'));
    QVERIFY(QDir().mkpath(QString::fromStdString(deep + "/" + std::string(70, 'f'))));
    testing::WriteWholeFile(deep + "/" + std::string(70, 'g') + ".txt", std::vector<std::uint8_t>{1});
    testing::InDirectory in(deep);
    int width = 0;
    const auto measure = [&width](QWidget* d) {
      width = d->width();
      ClickId(d, 100);
    };
    HostPcDirectories pc;
    DestinationDialog destination(session_->ctx(), pc, 106);
    WhenDialogOpens("DLG_DEST", measure);
    session_->ui().RunDestinationDialog(destination);
    QVERIFY2(width > 0 && width <= 640, qPrintable(QString::number(width)));
    MacCopyDialog copy(session_->ctx(), pc);
    WhenDialogOpens("DLG_MCOP", measure);
    session_->ui().RunMacCopyDialog(copy);
    QVERIFY2(width > 0 && width <= 640, qPrintable(QString::number(width)));
  }

  void logDialogCreatesStoresAndCloses() {
    testing::ScratchDir dir;
    testing::InDirectory in(dir.Path(""));
    Context& ctx = session_->ctx();
    LogDialog model(ctx);
    WhenDialogOpens("DLG_FLOG", [&ctx](QWidget* d) {
      QCOMPARE(d->windowTitle(), QString("Log File Management"));
      auto* field = ById<QLineEdit>(d, 147);
      QCOMPARE(field->text(), QString("tarvo.log"));
      QVERIFY(ById<QPushButton>(d, 144)->isEnabled() && ById<QPushButton>(d, 145)->isEnabled());
      QVERIFY(!ById<QPushButton>(d, 146)->isEnabled());
      QVERIFY(ById<QPushButton>(d, 149));
      // Enter is the OK key: the name is stored and the dialog stays.
      field->setText("gui.log");
      QTest::keyClick(field, Qt::Key_Return);
      QVERIFY(d->isVisible());
      QCOMPARE(ctx.messages[kMsgLogFileName], std::string("gui.log"));
      ClickId(d, 144);
      QVERIFY(!ById<QPushButton>(d, 144)->isEnabled() && !ById<QPushButton>(d, 145)->isEnabled());
      QVERIFY(ById<QPushButton>(d, 146)->isEnabled());
      ClickId(d, 101);
    });
    session_->ui().RunLogDialog(model);
    QVERIFY(model.closed());
    QVERIFY(IsLogOpen(ctx.log));
    QVERIFY(QFile::exists(QString::fromStdString(dir.Path("gui.log"))));

    LogDialog again(ctx);
    WhenDialogOpens("DLG_FLOG", [](QWidget* d) {
      QCOMPARE(ById<QLineEdit>(d, 147)->text(), QString("gui.log"));
      ClickId(d, 146);
      QVERIFY(ById<QPushButton>(d, 144)->isEnabled() && !ById<QPushButton>(d, 146)->isEnabled());
      ClickId(d, 100);
    });
    session_->ui().RunLogDialog(again);
    QVERIFY(again.closed());
    QVERIFY(!IsLogOpen(ctx.log));
  }

  void commandDialogExecutesOrCancels() {
    CommandDialog executed;
    WhenDialogOpens("DLG_COMM", [](QWidget* d) {
      QCOMPARE(d->windowTitle(), QString("Command line"));
      auto* field = ById<QLineEdit>(d, 150);
      QCOMPARE(field->maxLength(), 79);
      QVERIFY(ById<QPushButton>(d, 149));
      QTest::keyClicks(field, "dir /e");
      QTest::keyClick(field, Qt::Key_Return);  // Execute is the default button
    });
    session_->ui().RunCommandDialog(executed);
    QCOMPARE(executed.result(), 1);
    QCOMPARE(executed.line(), std::string("dir /e"));

    for (bool escape : {false, true}) {
      CommandDialog cancelled;
      WhenDialogOpens("DLG_COMM", [escape](QWidget* d) {
        QTest::keyClicks(ById<QLineEdit>(d, 150), "cd sub");
        if (escape) PressEscape(d);
        else ClickId(d, 100);
      });
      session_->ui().RunCommandDialog(cancelled);
      QVERIFY(cancelled.closed());
      QCOMPARE(cancelled.result(), 0);
    }
  }

  void deviceDialogChoosesAndCancels() {
    QCOMPARE(session_->Start(testing::Options({"--image", testing::BrowseImage() + ",ro", "/A00"})), std::string());
    Context& ctx = session_->ctx();
    WhenDialogOpens("DLG_DEV", [](QWidget* d) {
      QCOMPARE(d->windowTitle(), QString("Device selection"));
      QVERIFY(ById<QRadioButton>(d, 300)->isChecked());  // the only drive is preselected
      QVERIFY(ById<QLabel>(d, 500)->text().startsWith("SQ"));
      QVERIFY(!ById<QPushButton>(d, 309)->isEnabled());
      ClickId(d, 101);
    });
    QCOMPARE(SelectDrive(ctx), DriveChoice::kChosen);
    QCOMPARE(ctx.volume.targetId, std::uint8_t{0});
    WhenDialogOpens("DLG_DEV", [](QWidget* d) { ClickId(d, 100); });
    QCOMPARE(SelectDrive(ctx), DriveChoice::kCancelled);
    QCOMPARE(ctx.device.hostAdapterId, kNoDevice);
    WhenDialogOpens("DLG_DEV", [](QWidget* d) { d->close(); });
    QCOMPARE(SelectDrive(ctx), DriveChoice::kCancelled);
    QCOMPARE(ctx.volume.targetId, kNoDevice);
  }

 private:
  std::unique_ptr<GuiSession> session_;
};

}  // namespace tarvo

QTEST_MAIN(tarvo::DialogsTest)
#include "dialogs_qtest.moc"
