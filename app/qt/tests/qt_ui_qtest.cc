// The desktop port's services: the self-closing message and its log line,
// message boxes, the status line and progress bar as drawn, the wait cursor
// and the Esc poll.
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>
#include <cstdio>

#include "base/services.h"
#include "dialogs/message_dialog.h"
#include "gui_harness.h"
#include "gui_session.h"
#include "status_painter.h"
#include "support/scratch_files.h"
#include "ui/listing.h"

namespace tarvo {

using testing::ClickId;
using testing::WhenDialogOpens;

class QtUiTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { session_ = std::make_unique<GuiSession>(); }
  void cleanup() { session_.reset(); }

  void messageClosingItselfIsLogged() {
    testing::ScratchDir dir;
    const std::string path = dir.Path("tarvo.log");
    Context& ctx = session_->ctx();
    ctx.log.file = std::fopen(path.c_str(), "wb");
    session_->ui().SetMessageTimeout(20);
    QCOMPARE(MessageDialog(ctx, kMsgWriteProtected), -1);
    WhenDialogOpens("DLGMESS", [](QWidget* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("Tarvo"));
      QCOMPARE(testing::ById<QLabel>(dialog, 1128)->text(), QString("Drive not ready or no floppy disk."));
      ClickId(dialog, 1);
    });
    session_->ui().SetMessageTimeout(MessageDialogBox::kTimeoutMs);
    QCOMPARE(MessageDialog(ctx, kMsgDriveNotReady), 0);
    std::fclose(ctx.log.file);
    ctx.log.file = nullptr;
    const std::vector<std::uint8_t> bytes = testing::ReadWholeFile(path);
    QCOMPARE(std::string(bytes.begin(), bytes.end()), std::string("#Write-protected media.\n"));
  }

  void messageBoxesAnswerWithTheButtonPressed() {
    Context& ctx = session_->ctx();
    WhenDialogOpens("box", [](QWidget* box) {
      static_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
    });
    QCOMPARE(ShowMessageBox(ctx, ctx.messages[kMsgReallyAbort], Buttons::kYesNo), Answer::kNo);
    WhenDialogOpens("box", [](QWidget* box) {
      QCOMPARE(box->windowTitle(), QString("Tarvo"));
      static_cast<QMessageBox*>(box)->button(QMessageBox::Cancel)->click();
    });
    QCOMPARE(ShowMessageBox(ctx, ctx.messages[kMsgWriteProtected], Buttons::kOkCancel), Answer::kCancel);
    WhenDialogOpens("box", [](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
    QCOMPARE(ShowMessageBox(ctx, ctx.messages[kMsgReallyAbort], Buttons::kYesNo), Answer::kNo);
    WhenDialogOpens("box", [](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
    QCOMPARE(ShowMessageBox(ctx, "Replace it?", Buttons::kYesNoCancel), Answer::kCancel);
    WhenDialogOpens("box", [](QWidget* box) {
      static_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click();
    });
    QCOMPARE(ShowMessageBox(ctx, "Replace it?", Buttons::kYesNoCancel), Answer::kYes);
  }

  void statusLineAndProgressBarAreDrawnAsSpecified() {
    MainView& view = session_->window().view();
    session_->ui().PaintStatusLine("Analyzing the volume...", "Please wait");
    QCOMPARE(view.statusLeft(), QString("Analyzing the volume..."));
    QCOMPARE(view.statusRight(), QString("Please wait"));
    for (unsigned percent : {0u, 50u, 100u}) {
      session_->ui().PaintProgress(percent);
      QCOMPARE(view.progress(), std::optional<unsigned>(percent));
      QCOMPARE(ProgressDonePart(640, 405, percent).width(), static_cast<int>(2 * percent));
      const QImage image = view.grab().toImage();
      QCOMPARE(image.pixelColor(640 - 204, 406), QColor(Qt::black));  // the frame
      QCOMPARE(image.pixelColor(640 - 3, 418), QColor(Qt::black));
      // The bar's first and last columns, mid-height: inverted when done.
      const QColor grey(192, 192, 192), inverted(63, 63, 63);
      QCOMPARE(image.pixelColor(640 - 203, 410), percent > 0 ? inverted : grey);
      QCOMPARE(image.pixelColor(640 - 4, 410), percent == 100 ? inverted : grey);
    }
    QCOMPARE(ProgressFrame(640, 405), QRect(QPoint(436, 406), QPoint(637, 423)));
    session_->ui().PaintStatusLine("", "");
    QVERIFY(!view.progress());  // a new status line wipes the bar
  }

  // A face taller than the band (fonts differ between systems) is drawn
  // smaller: no stroke of "gjpqy" reaches the shadow line or below.
  void statusTextIsNotCutAtTheBottom() {
    QImage image(200, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont tall = painter.font();
    tall.setPixelSize(24);
    painter.setFont(tall);
    PaintStatusBand(painter, QRect(0, 0, 200, 20), "gjpqy", "");
    painter.end();
    for (int y = 19; y < image.height(); ++y)
      for (int x = 0; x < 150; ++x) QVERIFY(image.pixelColor(x, y) != QColor(Qt::black));
  }

  void waitCursorTurnsAndKeepsOnlyEsc() {
    QtUi& ui = session_->ui();
    QWidget& window = session_->window();
    ui.ShowWaitFrame(1);
    QVERIFY(QApplication::overrideCursor());
    const QImage first = QApplication::overrideCursor()->pixmap().toImage();
    ui.ShowWaitFrame(2);
    QVERIFY(QApplication::overrideCursor()->pixmap().toImage() != first);
    // Keys other than Esc are lost: Alt+E does not switch the listing.
    QCoreApplication::postEvent(&window, new QKeyEvent(QEvent::KeyPress, Qt::Key_E, Qt::AltModifier));
    QVERIFY(!ui.TakeEscapeKey());
    QCOMPARE(session_->ctx().settings.modeFlags & kListExtended, 0);
    QCoreApplication::postEvent(&window, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QVERIFY(ui.TakeEscapeKey());
    QVERIFY(!ui.TakeEscapeKey());
    ui.EndWait();
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(!ui.waiting());
  }

  void abortPollAsksAndNoContinues() {
    QtUi& ui = session_->ui();
    ui.ShowWaitFrame(1);
    QCoreApplication::postEvent(&session_->window(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    WhenDialogOpens("box", [](QWidget* box) {
      QVERIFY(!QApplication::overrideCursor());  // the question has the ordinary cursor
      static_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
    });
    QVERIFY(!PollAbort(session_->ctx()));
  }

 private:
  std::unique_ptr<GuiSession> session_;
};

}  // namespace tarvo

QTEST_MAIN(tarvo::QtUiTest)
#include "qt_ui_qtest.moc"
