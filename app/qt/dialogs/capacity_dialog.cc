#include "dialogs/capacity_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarvo {

namespace {

constexpr const char* kSizes[] = {"44 MB", "88 MB", "200 MB", "105 MB", "270 MB"};

}  // namespace

CapacityDialog::CapacityDialog(QWidget* parent)
    : TarvoDialog(QStringLiteral("DLG_CAPA"), tr("Data medium to format"), parent) {
  auto* box = new QGroupBox(tr("SyQuest Cartridges"), this);
  auto* radios = new QVBoxLayout(box);
  for (int i = 0; i < 5; ++i) {
    auto* radio = new QRadioButton(QString::fromLatin1(kSizes[i]), box);
    radio->setObjectName(QString::number(300 + i));
    group_.addButton(radio, i);
    radios->addWidget(radio);
  }
  QPushButton* ok = MakeButton(101, tr("OK"));
  QPushButton* cancel = MakeButton(100, tr("Cancel"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { done(1); });
  connect(cancel, &QPushButton::clicked, this, [this] { done(0); });
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addStretch();
  buttons->addWidget(MakeHelpButton());
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(box);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

CapacityAnswer CapacityDialog::answer() const {
  CapacityAnswer answer;
  answer.ok = result() == 1;
  if (answer.ok && group_.checkedId() >= 0) answer.choice = group_.checkedId();
  return answer;
}

}  // namespace tarvo
