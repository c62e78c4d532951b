#include "dialogs/same_drive_dialog.h"

#include <QLabel>

namespace tarvo {

SameDriveDialog::SameDriveDialog(QWidget* parent)
    : TarvoDialog(QStringLiteral("DLG_SAME"), tr("Drive to be used"), parent) {
  auto* question = new QLabel(tr("Do you want to\nuse the same drive ?"), this);
  question->setAlignment(Qt::AlignCenter);
  QPushButton* same = MakeButton(309, tr("Use the same drive"));
  QPushButton* cancel = MakeButton(310, tr("Cancel"));
  QPushButton* rescan = MakeButton(311, tr("Rescan the bus"));
  same->setDefault(true);
  connect(same, &QPushButton::clicked, this, [this] { done(-1); });
  connect(cancel, &QPushButton::clicked, this, [this] { done(0); });
  connect(rescan, &QPushButton::clicked, this, [this] { done(1); });
  Arrange(question, ButtonRow({same, cancel, rescan}));
}

SameDriveChoice SameDriveChoiceOf(int result) {
  if (result < 0) return SameDriveChoice::kUseSame;
  return result > 0 ? SameDriveChoice::kRescan : SameDriveChoice::kCancel;
}

}  // namespace tarvo
