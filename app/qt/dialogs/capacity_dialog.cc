#include "dialogs/capacity_dialog.h"

#include <QGroupBox>
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
  auto [ok, cancel] = MakeOkCancel([this] { done(1); }, [this] { done(0); });
  Arrange(box, ButtonColumn({ok, cancel}));
}

CapacityAnswer CapacityDialog::answer() const {
  CapacityAnswer answer;
  answer.ok = result() == 1;
  if (answer.ok && group_.checkedId() >= 0) answer.choice = group_.checkedId();
  return answer;
}

}  // namespace tarvo
