#include "dialogs/device_dialog_box.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "qt_text.h"

namespace tarvo {

DeviceDialogBox::DeviceDialogBox(DeviceDialog& model, QWidget* parent)
    : ModelDialog(model, QStringLiteral("DLG_DEV"), tr("Device selection"), parent) {
  auto* grid = new QGridLayout;
  const QStringList headings{tr("Id"), tr("Typ"), tr("Model"), tr("Release")};
  for (int column = 0; column < headings.size(); ++column) grid->addWidget(new QLabel(headings[column], this), 0, column);
  group_.setExclusive(false);
  for (int t = 0; t < 8; ++t) {
    radios_[t] = new QRadioButton(QStringLiteral("%1 ").arg(t), this);
    radios_[t]->setObjectName(QString::number(300 + t));
    group_.addButton(radios_[t], t);
    grid->addWidget(radios_[t], t + 1, 0);
    for (int column = 0; column < 3; ++column) {
      texts_[t][column] = new QLabel(this);
      texts_[t][column]->setObjectName(QString::number(400 + 100 * column + t));
      texts_[t][column]->setMinimumWidth(column == 1 ? 150 : 70);
      grid->addWidget(texts_[t][column], t + 1, column + 1);
    }
  }
  connect(&group_, &QButtonGroup::idClicked, this,
          [this](int t) { Apply([&] { model_.ClickTarget(static_cast<std::uint8_t>(t)); }); });
  auto* driverLine = new QHBoxLayout;
  driverLine->addWidget(new QLabel(tr("Driver:"), this));
  driver_ = new QLabel(this);
  driver_->setObjectName(QStringLiteral("308"));
  driverLine->addWidget(driver_, 1);

  auto [ok, cancel] = MakeModelOkCancel();
  next_ = MakeButton(309, tr("Next Host"));
  preceding_ = MakeButton(310, tr("Preceding Host"));
  connect(next_, &QPushButton::clicked, this, [this] { Apply([&] { model_.NextHost(); }); });
  connect(preceding_, &QPushButton::clicked, this, [this] { Apply([&] { model_.PrecedingHost(); }); });
  auto* left = new QVBoxLayout;
  left->addLayout(grid);
  left->addLayout(driverLine);
  Arrange(left, ButtonColumn({ok, cancel, next_, preceding_}));
  Sync();
}

void DeviceDialogBox::Sync() {
  const auto& rows = model_.rows();
  for (std::size_t t = 0; t < rows.size(); ++t) {
    radios_[t]->setEnabled(rows[t].enabled);
    radios_[t]->setChecked(model_.selectedTarget() == t);
    texts_[t][0]->setText(FromAnsi(rows[t].vendor));
    texts_[t][1]->setText(FromAnsi(rows[t].product));
    texts_[t][2]->setText(FromAnsi(rows[t].revision));
  }
  driver_->setText(FromAnsi(model_.driverName()));
  next_->setEnabled(model_.nextEnabled());
  preceding_->setEnabled(model_.precedingEnabled());
}

}  // namespace tarvo
