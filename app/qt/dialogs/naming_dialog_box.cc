#include "dialogs/naming_dialog_box.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarvo {

NamingDialogBox::NamingDialogBox(NamingDialog& model, QWidget* parent)
    : ModelDialog(model, QStringLiteral("DLG_OPT"), tr("Advanced copy options"), parent) {
  auto* box = new QGroupBox(tr("Filenaming convention"), this);
  auto* radios = new QVBoxLayout(box);
  const QStringList texts{tr("Long file names"), tr("Short file names"), tr("Renaming on the fly")};
  for (int mode = 0; mode < texts.size(); ++mode) {
    auto* radio = new QRadioButton(texts[mode], box);
    radio->setObjectName(QString::number(400 + mode));
    group_.addButton(radio, mode);
    radios->addWidget(radio);
  }
  connect(&group_, &QButtonGroup::idClicked, this,
          [this](int mode) { Apply([&] { model_.Click(static_cast<NamingMode>(mode)); }); });
  auto [ok, cancel] = MakeModelOkCancel();
  Arrange(box, ButtonColumn({ok, cancel}));
  Sync();
}

void NamingDialogBox::Sync() {
  if (QAbstractButton* checked = group_.button(static_cast<int>(model_.checked()))) checked->setChecked(true);
}

}  // namespace tarvo
