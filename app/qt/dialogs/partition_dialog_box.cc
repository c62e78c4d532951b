#include "dialogs/partition_dialog_box.h"

#include <QGridLayout>

#include "qt_text.h"

namespace tarvo {

PartitionDialogBox::PartitionDialogBox(PartitionDialog& model, QWidget* parent)
    : ModelDialog(model, QStringLiteral("DLG_PART"), tr("Select Partition"), parent) {
  auto* grid = new QGridLayout;
  const QStringList headings{QString(), tr("Name"), tr("Offset"), tr("Nr Sect.")};
  for (int column = 0; column < headings.size(); ++column) grid->addWidget(new QLabel(headings[column], this), 0, column);
  group_.setExclusive(false);
  for (int r = 0; r < PartitionDialog::kRows; ++r) {
    radios_[r] = new QRadioButton(this);
    radios_[r]->setObjectName(QString::number(300 + r));
    group_.addButton(radios_[r], r);
    grid->addWidget(radios_[r], r + 1, 0);
    for (int column = 0; column < 3; ++column) {
      texts_[r][column] = new QLabel(this);
      texts_[r][column]->setObjectName(QString::number(400 + 100 * column + r));
      texts_[r][column]->setMinimumWidth(column == 0 ? 200 : 80);
      if (column > 0) texts_[r][column]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      grid->addWidget(texts_[r][column], r + 1, column + 1);
    }
  }
  connect(&group_, &QButtonGroup::idClicked, this, [this](int r) { Apply([&] { model_.ClickRow(r); }); });
  auto [ok, cancel] = MakeModelOkCancel();
  Arrange(grid, ButtonColumn({ok, cancel}));
  Sync();
}

void PartitionDialogBox::Sync() {
  const auto& rows = model_.rows();
  for (int r = 0; r < PartitionDialog::kRows; ++r) {
    radios_[r]->setEnabled(rows[r].enabled);
    radios_[r]->setChecked(model_.selectedRow() == r);
    texts_[r][0]->setText(FromAnsi(rows[r].name));
    texts_[r][1]->setText(FromAnsi(rows[r].offset));
    texts_[r][2]->setText(FromAnsi(rows[r].sectors));
  }
}

}  // namespace tarvo
