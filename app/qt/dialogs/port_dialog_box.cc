#include "dialogs/port_dialog_box.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarvo {

PortDialogBox::PortDialogBox(PortDialog& model, QWidget* parent)
    : ModelDialog(model, QStringLiteral("DLG_PORT"), tr("Output Ports"), parent) {
  // Groups in the dialog's order: the file, the serial ports, the parallel ports.
  const std::vector<std::pair<QString, std::vector<int>>> groups{
      {tr(" MS-DOS File: "), {0}}, {tr("Serial ports"), {4, 5, 6, 7}}, {tr("Parallel ports"), {1, 2, 3}}};
  auto* boxes = new QVBoxLayout;
  for (const auto& [title, ports] : groups) {
    auto* box = new QGroupBox(title, this);
    auto* radios = new QHBoxLayout(box);
    for (int port : ports) {
      const QString text = port == 0 ? tr("File") : port <= 3 ? QStringLiteral("LPT%1").arg(port)
                                                              : QStringLiteral("COM%1").arg(port - 3);
      auto* radio = new QRadioButton(text, box);
      radio->setObjectName(QString::number(500 + port));
      group_.addButton(radio, port);
      radios->addWidget(radio);
    }
    boxes->addWidget(box);
  }
  connect(&group_, &QButtonGroup::idClicked, this, [this](int port) { Apply([&] { model_.Click(port); }); });
  auto [ok, cancel] = MakeModelOkCancel();
  Arrange(boxes, ButtonColumn({ok, cancel}));
  Sync();
}

void PortDialogBox::Sync() {
  if (QAbstractButton* checked = group_.button(model_.checked())) checked->setChecked(true);
}

}  // namespace tarvo
