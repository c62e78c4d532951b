#include "dialogs/scan_parameters_dialog_box.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "qt_text.h"

namespace tarvo {

namespace {

QLineEdit* NumberEdit(int id, const std::string& value, QWidget* parent) {
  auto* edit = new QLineEdit(FromAnsi(value), parent);
  edit->setObjectName(QString::number(id));
  edit->setMaxLength(10);
  return edit;
}

}  // namespace

ScanParametersDialogBox::ScanParametersDialogBox(ScanParametersDialog& model, QWidget* parent)
    : ModelDialog(model, QStringLiteral("DLG_PARAM"), tr("Volume Scanning Parameters"), parent) {
  origin_ = NumberEdit(532, model.origin(), this);
  clusterSize_ = NumberEdit(533, model.clusterSize(), this);
  QPushButton* search = MakeButton(148, tr("&Automatic Search"));
  search->setEnabled(false);
  QPushButton* ok = MakeButton(101, tr("OK"));
  QPushButton* cancel = MakeButton(100, tr("Cancel"));
  ok->setDefault(true);
  connect(search, &QPushButton::clicked, this, [this] { Apply([&] { model_.AutomaticSearch(); }); });
  connect(ok, &QPushButton::clicked, this, [this] {
    Apply([&] {
      model_.SetOrigin(ToAnsi(origin_->text()));
      model_.SetClusterSize(ToAnsi(clusterSize_->text()));
      model_.Ok();
    });
  });
  connect(cancel, &QPushButton::clicked, this, [this] { Apply([&] { model_.Cancel(); }); });

  auto* form = new QFormLayout;
  auto* originLabel = new QLabel(tr("&Logical Origin"), this);
  originLabel->setBuddy(origin_);
  auto* sizeLabel = new QLabel(tr("&Cluster Size"), this);
  sizeLabel->setBuddy(clusterSize_);
  form->addRow(originLabel, origin_);
  form->addRow(sizeLabel, clusterSize_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(search);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addWidget(MakeHelpButton());
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  origin_->selectAll();
  origin_->setFocus();
}

}  // namespace tarvo
