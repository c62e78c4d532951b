#include "dialogs/command_dialog_box.h"

#include "command/parser.h"
#include "qt_text.h"

namespace tarvo {

CommandDialogBox::CommandDialogBox(CommandDialog& model, QWidget* parent)
    : ModelDialog(model, QStringLiteral("DLG_COMM"), tr("Command line"), parent) {
  field_ = new QLineEdit(FromAnsi(model.line()), this);
  field_->setObjectName(QStringLiteral("150"));
  field_->setMaxLength(static_cast<int>(kCommandLineLimit));
  field_->setMinimumWidth(360);
  QPushButton* execute = MakeButton(153, tr("Execute"));
  QPushButton* cancel = MakeButton(100, tr("Cancel"));
  execute->setDefault(true);
  connect(execute, &QPushButton::clicked, this, [this] {
    Apply([&] {
      model_.SetLine(ToAnsi(field_->text()));
      model_.Execute();
    });
  });
  connect(cancel, &QPushButton::clicked, this, [this] { Apply([&] { model_.Cancel(); }); });
  Arrange(field_, ButtonRow({execute, cancel}));
  field_->setFocus();
}

}  // namespace tarvo
