#include "dialogs/mac_copy_dialog_box.h"

#include <QGridLayout>

#include "dialogs/list_widgets.h"

namespace tarvo {

namespace {

QLabel* Field(int id, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::number(id));
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

MacCopyDialogBox::MacCopyDialogBox(MacCopyDialog& model, QWidget* parent)
    : ModelDialog(model, QStringLiteral("DLG_MCOP"), tr("Copy PC -> Mac"), parent) {
  mask_ = new QLineEdit(this);
  mask_->setObjectName(QStringLiteral("1135"));
  mask_->setMaxLength(79);
  path_ = Field(1131, this);
  total_ = Field(1130, this);
  files_ = MakeIdList(1132, 150, this);
  files_->setSelectionMode(QAbstractItemView::MultiSelection);
  directories_ = MakeIdList(1133, 150, this);
  drives_ = MakeIdList(1134, 150, this);

  connect(mask_, &QLineEdit::returnPressed, this,
          [this] { Apply([&] { model_.EnterMask(ToAnsi(mask_->text())); }); });
  connect(files_, &QListWidget::itemSelectionChanged, this, [this] {
    if (syncing_) return;
    Apply([&] {
      for (int row = 0; row < files_->count(); ++row)
        model_.SelectFile(static_cast<std::size_t>(row), files_->item(row)->isSelected());
    });
  });
  OnRowDoubleClicked(directories_, this, [this](std::size_t row) { Apply([&] { model_.OpenDirectory(row); }); });
  OnRowDoubleClicked(drives_, this, [this](std::size_t row) { Apply([&] { model_.OpenDrive(row); }); });

  QPushButton* root = MakeButton(534, QStringLiteral(" [:\\]"));
  QPushButton* up = MakeButton(535, QStringLiteral(" [..]"));
  QPushButton* selection = MakeButton(114, tr("Selection"));
  QPushButton* all = MakeButton(116, tr("All Files"));
  QPushButton* directory = MakeButton(117, tr("Directory"));
  QPushButton* cancel = MakeButton(100, tr("Cancel/Exit"));
  connect(root, &QPushButton::clicked, this, [this] { Apply([&] { model_.Root(); }); });
  connect(up, &QPushButton::clicked, this, [this] { Apply([&] { model_.Parent(); }); });
  connect(selection, &QPushButton::clicked, this, [this] { Apply([&] { model_.CopySelection(); }); });
  connect(all, &QPushButton::clicked, this, [this] { Apply([&] { model_.CopyAllFiles(); }); });
  connect(directory, &QPushButton::clicked, this, [this] {
    const int row = directories_->currentRow();
    Apply([&] {
      model_.CopyDirectory(row < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(row)));
    });
  });
  connect(cancel, &QPushButton::clicked, this, [this] { Apply([&] { model_.Cancel(); }); });

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(tr("Filename:"), this), 0, 0);
  grid->addWidget(mask_, 0, 1, 1, 2);
  grid->addWidget(new QLabel(tr("Path :"), this), 1, 0);
  grid->addWidget(path_, 1, 1, 1, 2);
  grid->addWidget(new QLabel(tr("Files"), this), 2, 0);
  grid->addWidget(new QLabel(tr("Directories"), this), 2, 1);
  grid->addWidget(new QLabel(tr("Drives"), this), 2, 2);
  grid->addWidget(files_, 3, 0);
  grid->addWidget(directories_, 3, 1);
  grid->addWidget(drives_, 3, 2);
  grid->addWidget(new QLabel(tr("Total"), this), 4, 0);
  grid->addWidget(total_, 4, 1, 1, 2);
  QBoxLayout* buttons = ButtonColumn({selection, all, directory, root, up, cancel});
  buttons->insertWidget(0, new QLabel(tr("Click Button to Copy:"), this));
  buttons->insertSpacing(4, 12);
  Arrange(grid, buttons);
  Sync();
}

void MacCopyDialogBox::Sync() {
  syncing_ = true;
  mask_->setText(FromAnsi(model_.mask()));
  ShowPath(path_, FromAnsi(model_.path()));
  total_->setText(QString::number(model_.total()));
  files_->clear();
  for (const MacCopyDialog::FileRow& row : model_.files()) {
    files_->addItem(FromAnsi(row.name));
    files_->item(files_->count() - 1)->setSelected(row.selected);
  }
  FillList(directories_, model_.directories());
  FillList(drives_, model_.drives());
  syncing_ = false;
}

}  // namespace tarvo
