// The dump window over a file of the browse volume: its frame, its menu and
// the keys and scroll bar that move the view, and the lines it paints.
#include <QAction>
#include <QFontMetrics>
#include <QImage>
#include <QScrollBar>
#include <QtTest>

#include "gui_harness.h"
#include "gui_session.h"
#include "ui/dump_view.h"

namespace tarvo {

using testing::WhenDialogOpens;

namespace {

QAction* Item(QWidget* window, int id) { return window->findChild<QAction*>(QString::number(id)); }

// Whether any pixel of the band of rows [top, top + height) is not white.
bool Inked(const QImage& image, int top, int height) {
  for (int y = top; y < std::min(top + height, image.height()); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y) != Qt::white) return true;
  return false;
}

}  // namespace

class DumpWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY(!testing::BrowseImage().empty()); }

  void menuKeysAndScrollBarMoveTheView() {
    GuiSession session;
    QCOMPARE(session.Start(testing::Options({"--image", testing::BrowseImage() + ",ro", "/A00"})), std::string());
    DumpView view(session.ctx(), "Top.txt");
    QVERIFY(view.found());
    QCOMPARE(view.length() % 512, 0u);
    QVERIFY(view.length() >= 1024);
    WhenDialogOpens("filedump", [&view](QWidget* w) {
      QCOMPARE(w->windowTitle(), QString("Dumping file \"Top.txt\""));
      QCOMPARE(w->size(), QSize(615, 435));
      QVERIFY(Item(w, 100)->isChecked());
      QVERIFY(!Item(w, 101)->isEnabled());  // no resource fork
      QVERIFY(Item(w, 200)->isChecked() && Item(w, 401)->isChecked());
      Item(w, 402)->trigger();
      Item(w, 202)->trigger();
      QCOMPARE(view.base(), 16);
      QCOMPARE(view.charset(), DumpCharset::kDos);

      QTest::keyClick(w, Qt::Key_End);
      QCOMPARE(view.position(), view.length() - 512);
      QTest::keyClick(w, Qt::Key_Home);
      QCOMPARE(view.position(), 0u);
      auto* bar = w->findChild<QScrollBar*>("scroll");
      bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
      QCOMPARE(view.position(), 128u);
      QCOMPARE(bar->value(), static_cast<int>(view.thumb()));
      QTest::keyClick(w, Qt::Key_Down);
      QCOMPARE(view.position(), std::min(640u, view.length() - 512));  // a page, never past the last
      Item(w, 103)->trigger();
    });
    session.ui().RunDumpView(view);
  }

  // 32 lines of text in groups of 8, a blank row between the groups.
  void pageShowsThirtyTwoLinesInGroupsOfEight() {
    GuiSession session;
    QCOMPARE(session.Start(testing::Options({"--image", testing::BrowseImage() + ",ro", "/A00"})), std::string());
    DumpView view(session.ctx(), "Top.txt");
    QVERIFY(view.length() >= 512);
    QCOMPARE(view.ScreenLines().size(), std::size_t{32});
    WhenDialogOpens("filedump", [](QWidget* w) {
      QWidget* page = w->findChild<QWidget*>("page");
      QVERIFY(page);
      const QFontMetrics metrics(page->font());
      const int line = std::max(1, metrics.height() + metrics.leading() - 2);
      const QImage image = page->grab().toImage();
      QVERIFY(image.height() >= 36 * line);
      for (int row = 0; row < 36; ++row) {
        // Descenders of the line above may reach a few pixels into a blank row.
        if (row % 9 == 8) QVERIFY2(!Inked(image, row * line + 3, line - 4), qPrintable(QString::number(row)));
        else QVERIFY2(Inked(image, row * line, line), qPrintable(QString::number(row)));
      }
      Item(w, 103)->trigger();
    });
    session.ui().RunDumpView(view);
  }
};

}  // namespace tarvo

QTEST_MAIN(tarvo::DumpWindowTest)
#include "dump_window_qtest.moc"
