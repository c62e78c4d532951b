#include "dialogs/scan_parameters_dialog_box.h"

#include <QFormLayout>
#include <QLabel>

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
  connect(search, &QPushButton::clicked, this, [this] { Apply([&] { model_.AutomaticSearch(); }); });
  auto [ok, cancel] = MakeModelOkCancel([this] {
    model_.SetOrigin(ToAnsi(origin_->text()));
    model_.SetClusterSize(ToAnsi(clusterSize_->text()));
  });

  auto* form = new QFormLayout;
  auto* originLabel = new QLabel(tr("&Logical Origin"), this);
  originLabel->setBuddy(origin_);
  auto* sizeLabel = new QLabel(tr("&Cluster Size"), this);
  sizeLabel->setBuddy(clusterSize_);
  form->addRow(originLabel, origin_);
  form->addRow(sizeLabel, clusterSize_);
  Arrange(form, ButtonRow({ok, cancel}, {search}));
  origin_->selectAll();
  origin_->setFocus();
}

}  // namespace tarvo
