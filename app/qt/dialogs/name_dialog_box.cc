#include "dialogs/name_dialog_box.h"

#include <QGridLayout>
#include <QLabel>

#include "qt_text.h"

namespace tarvo {

namespace {

QLabel* Label(const QString& text, int id, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::number(id));
  return label;
}

}  // namespace

NameDialogBox::NameDialogBox(NameDialog& model, QWidget* parent)
    : ModelDialog(model, FromAnsi(model.name()), FromAnsi(model.title()), parent) {
  const bool newDirectory = model.name() == "DLG_NOUV";
  const bool notice = !model.notice().empty();
  edit_ = new QLineEdit(FromAnsi(model.text()), this);
  edit_->setObjectName(QString::number(notice ? 516 : newDirectory ? 503 : 502));
  edit_->setMinimumWidth(260);
  auto* grid = new QGridLayout;
  if (notice) {
    grid->addWidget(new QLabel(FromAnsi(model.notice()), this), 0, 0, 1, 2);
    grid->addWidget(new QLabel(tr("Name:"), this), 1, 0);
    grid->addWidget(edit_, 1, 1);
  } else if (newDirectory) {
    grid->addWidget(Label(tr("Directory Name:"), 515, this), 0, 0);
    grid->addWidget(edit_, 0, 1);
  } else {
    grid->addWidget(Label(tr("Old name"), 511, this), 0, 0);
    grid->addWidget(Label(FromAnsi(model.oldName()), 516, this), 0, 1);
    grid->addWidget(Label(tr("New name"), 512, this), 1, 0);
    grid->addWidget(edit_, 1, 1);
  }
  auto [ok, cancel] = MakeModelOkCancel([this] { model_.SetText(ToAnsi(edit_->text())); });
  Arrange(grid, ButtonRow({ok, cancel}));
  edit_->selectAll();
  edit_->setFocus();
}

}  // namespace tarvo
