// The desktop's file attributes, rescue scanning and scanning parameters
// dialogs, and the format name, driven through the port as the commands
// drive them.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <array>

#include "base/big_endian.h"
#include "base/program_settings.h"
#include "gui_harness.h"
#include "gui_session.h"
#include "hfs/catalog_record.h"
#include "ui/attributes_dialog.h"
#include "ui/name_dialog.h"
#include "ui/rescue_dialog.h"
#include "ui/scan_parameters_dialog.h"

namespace tarvo {

using testing::ById;
using testing::ClickId;
using testing::WhenDialogOpens;

namespace {

constexpr std::uint32_t kJan2000 = 3029529600;  // seconds since 1904

std::array<std::uint8_t, filrec::kSize> TextFile() {
  std::array<std::uint8_t, filrec::kSize> record{};
  for (std::size_t i = 0; i < 4; ++i) {
    record[filrec::fdType + i] = static_cast<std::uint8_t>("TEXT"[i]);
    record[filrec::fdCreator + i] = static_cast<std::uint8_t>("ttxt"[i]);
  }
  PutU32(record, filrec::filFlNum, 77);
  PutU32(record, filrec::filLgLen, 1234);
  PutU32(record, filrec::filCrDat, kJan2000 + 59);  // seconds the fields do not show
  PutU32(record, filrec::filMdDat, kJan2000);
  return record;
}

}  // namespace

class FileDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { session_ = std::make_unique<GuiSession>(); }
  void cleanup() { session_.reset(); }

  void attributesWriteTheEditsAndShowTheExtents() {
    const auto record = TextFile();
    AttributesDialog dialog(session_->ctx(), "Notes", record, [] { return false; });
    WhenDialogOpens("DLG_ATTR", [&dialog](QWidget* d) {
      QCOMPARE(d->windowTitle(), QString("File Attributes"));
      QCOMPARE(ById<QLineEdit>(d, 516)->text(), QString("Notes"));
      QCOMPARE(ById<QLineEdit>(d, 538)->text(), QString("ttxt"));
      QCOMPARE(ById<QLabel>(d, 536)->text(), QString("1234"));
      QCOMPARE(ById<QLineEdit>(d, 120)->text(), QString::fromStdString(dialog.created()[2]));
      QVERIFY(!ById<QPushButton>(d, 131)->isEnabled());
      ById<QLineEdit>(d, 539)->setText("ABCD");
      WhenDialogOpens("DLG_ATT2", [](QWidget* extents) {
        QCOMPARE(extents->windowTitle(), QString("For spelunking fans..."));
        QCOMPARE(ById<QLabel>(extents, 547)->text(), QString("77"));
        QTest::keyClick(extents, Qt::Key_Escape);
      });
      ClickId(d, 130);
      QCOMPARE(ById<QLineEdit>(d, 539)->text(), QString("ABCD"));  // typed before Advanced, kept
      const QString hour = ById<QLineEdit>(d, 121)->text();
      ById<QLineEdit>(d, 121)->setText("24");  // no such hour: refused, the dialog stays
      ClickId(d, 540);
      QVERIFY(d->isVisible());
      ById<QLineEdit>(d, 121)->setText(hour);
      ClickId(d, 540);
    });
    session_->ui().RunAttributesDialog(dialog);
    QCOMPARE(dialog.result(), 2);
    QCOMPARE(dialog.record()[filrec::fdType], std::uint8_t{'A'});
    QCOMPARE(GetU32(dialog.record(), filrec::filCrDat), kJan2000 + 59);

    AttributesDialog renamed(session_->ctx(), "Notes", record, [] { return false; });
    WhenDialogOpens("DLG_ATTR", [](QWidget* d) {
      ById<QLineEdit>(d, 516)->setText("Memo");
      ClickId(d, 540);
    });
    session_->ui().RunAttributesDialog(renamed);
    QCOMPARE(renamed.result(), 3);
    QCOMPARE(renamed.newName(), std::optional<std::string>("Memo"));

    AttributesDialog readOnly(session_->ctx(), "Notes", record, nullptr, true);
    WhenDialogOpens("DLG_ATTR", [](QWidget* d) {
      QVERIFY(!ById<QPushButton>(d, 540)->isEnabled());
      QTest::keyClick(d, Qt::Key_Escape);
    });
    session_->ui().RunAttributesDialog(readOnly);
    QCOMPARE(readOnly.result(), 0);
  }

  void scanParametersStoreTheGeometryOrRefuse() {
    VolumeState& volume = session_->ctx().volume;
    volume.sectorsPerBlock = 4;
    WhenDialogOpens("DLG_PARAM", [](QWidget* d) {
      QCOMPARE(d->windowTitle(), QString("Volume Scanning Parameters"));
      QCOMPARE(ById<QLineEdit>(d, 533)->text(), QString("4"));
      QVERIFY(!ById<QPushButton>(d, 148)->isEnabled());
      ById<QLineEdit>(d, 533)->setText("0");
      ClickId(d, 101);
      QVERIFY(d->isVisible());
      ById<QLineEdit>(d, 532)->setText("96");
      ById<QLineEdit>(d, 533)->setText("8");
      ClickId(d, 101);
    });
    QCOMPARE(RunScanParameters(session_->ctx()), 1);
    QCOMPARE(volume.volumeOrigin, std::int64_t{96});
    QCOMPARE(volume.allocBlockSize, 4096u);
    WhenDialogOpens("DLG_PARAM", [](QWidget* d) {
      ById<QLineEdit>(d, 533)->setText("2");
      ClickId(d, 100);
    });
    QCOMPARE(RunScanParameters(session_->ctx()), 0);
    QCOMPARE(volume.sectorsPerBlock, 8u);
  }

  void rescueSetsTheCopyModeAndAsksForTheGeometry() {
    Context& ctx = session_->ctx();
    ctx.volume.sectorsPerBlock = 0;
    RescueDialog dialog(ctx);
    WhenDialogOpens("DLG_RECUP", [&ctx](QWidget* d) {
      QCOMPARE(d->windowTitle(), QString("Rescue Scanning"));
      QVERIFY(ById<QRadioButton>(d, 1144)->isChecked());
      ById<QRadioButton>(d, 1146)->click();
      QCOMPARE(ctx.settings.modeFlags & kCopyMacBinary, kCopyMacBinary);
      WhenDialogOpens("DLG_PARAM", [](QWidget* params) { ClickId(params, 100); });
      ClickId(d, 101);  // no geometry: the parameters first, cancelled, so no scan
      QVERIFY(d->isVisible());
      d->close();
    });
    session_->ui().RunRescueDialog(dialog);
    QVERIFY(dialog.closed());
    QVERIFY(!dialog.scanned());
  }

  void formatNameShowsTheCaution() {
    NameDialog format("DLG_FORM", "Formatting", "", "Untitled", 26);
    format.SetNotice("Caution !!!\nAll data will be destroyed.");
    WhenDialogOpens("DLG_FORM", [](QWidget* d) {
      QCOMPARE(d->windowTitle(), QString("Formatting"));
      bool shown = false;
      for (QLabel* label : d->findChildren<QLabel*>())
        shown |= label->text() == "Caution !!!\nAll data will be destroyed.";
      QVERIFY(shown);
      QCOMPARE(ById<QLineEdit>(d, 516)->text(), QString("Untitled"));
      ById<QLineEdit>(d, 516)->setText("Backup");
      ClickId(d, 101);
    });
    session_->ui().RunNameDialog(format);
    QCOMPARE(format.result(), std::optional<std::string>("Backup"));
  }

 private:
  std::unique_ptr<GuiSession> session_;
};

}  // namespace tarvo

QTEST_MAIN(tarvo::FileDialogsTest)
#include "file_dialogs_qtest.moc"
