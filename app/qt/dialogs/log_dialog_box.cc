#include "dialogs/log_dialog_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "qt_text.h"

namespace tarvo {

LogDialogBox::LogDialogBox(LogDialog& model, QWidget* parent)
    : ModelDialog(model, QStringLiteral("DLG_FLOG"), tr("Log File Management"), parent) {
  field_ = new QLineEdit(this);
  field_->setObjectName(QStringLiteral("147"));
  field_->setMaxLength(static_cast<int>(kLogDialogNameLimit));
  field_->setMinimumWidth(140);
  auto* label = new QLabel(tr("File:"), this);
  label->setBuddy(field_);
  connect(field_, &QLineEdit::returnPressed, this, [this] {
    Apply([&] {
      TakeField();
      model_.StoreName();
    });
  });

  create_ = MakeButton(144, tr("Create"));
  open_ = MakeButton(145, tr("Open"));
  close_ = MakeButton(146, tr("Close"));
  connect(create_, &QPushButton::clicked, this, [this] {
    Apply([&] {
      TakeField();
      model_.Create();
    });
  });
  connect(open_, &QPushButton::clicked, this, [this] {
    Apply([&] {
      TakeField();
      model_.Open();
    });
  });
  connect(close_, &QPushButton::clicked, this, [this] { Apply([&] { model_.CloseLogFile(); }); });
  auto [ok, cancel] = MakeModelOkCancel();
  ok->setDefault(false);  // Enter belongs to the field

  auto* fieldRow = new QHBoxLayout;
  fieldRow->addWidget(label);
  fieldRow->addWidget(field_, 1);
  auto* controls = new QVBoxLayout;
  controls->addLayout(fieldRow);
  controls->addStretch();
  Arrange(controls, ButtonColumn({create_, open_, close_, ok, cancel}));
  Sync();
  field_->selectAll();
  field_->setFocus();
}

void LogDialogBox::Sync() {
  field_->setText(FromAnsi(model_.fieldText()));
  create_->setEnabled(model_.createEnabled());
  open_->setEnabled(model_.openEnabled());
  close_->setEnabled(model_.closeEnabled());
}

void LogDialogBox::TakeField() { model_.SetFieldText(ToAnsi(field_->text())); }

}  // namespace tarvo
