#include "dialogs/destination_dialog_box.h"

#include <QGridLayout>

#include "dialogs/list_widgets.h"

namespace tarvo {

DestinationDialogBox::DestinationDialogBox(DestinationDialog& model, QWidget* parent)
    : ModelDialog(model, QStringLiteral("DLG_DEST"), tr("Target Directory"), parent) {
  path_ = new QLabel(this);
  path_->setObjectName(QStringLiteral("1131"));
  path_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  directories_ = MakeIdList(1133, 180, this);
  drives_ = MakeIdList(1134, 180, this);
  OnRowDoubleClicked(directories_, this, [this](std::size_t row) { Apply([&] { model_.OpenDirectory(row); }); });
  OnRowDoubleClicked(drives_, this, [this](std::size_t row) { Apply([&] { model_.OpenDrive(row); }); });

  QPushButton* root = MakeButton(534, QStringLiteral(" [:\\]"));
  QPushButton* up = MakeButton(535, QStringLiteral(" [..]"));
  QPushButton* create = MakeButton(503, tr("Create new"));
  QPushButton* confirm = MakeButton(113, FromAnsi(model.confirmCaption()));
  QPushButton* cancel = MakeButton(100, tr("Cancel"));
  confirm->setDefault(true);
  connect(root, &QPushButton::clicked, this, [this] { Apply([&] { model_.Root(); }); });
  connect(up, &QPushButton::clicked, this, [this] { Apply([&] { model_.Parent(); }); });
  connect(create, &QPushButton::clicked, this, [this] { Apply([&] { model_.CreateNew(); }); });
  connect(confirm, &QPushButton::clicked, this, [this] { Apply([&] { model_.Confirm(); }); });
  connect(cancel, &QPushButton::clicked, this, [this] { Apply([&] { model_.Cancel(); }); });

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(tr("Path :"), this), 0, 0);
  grid->addWidget(path_, 0, 1, 1, 2);
  grid->addWidget(new QLabel(tr("Directories"), this), 1, 0, 1, 2);
  grid->addWidget(new QLabel(tr("Drives"), this), 1, 2);
  grid->addWidget(directories_, 2, 0, 1, 2);
  grid->addWidget(drives_, 2, 2);
  Arrange(grid, ButtonColumn({confirm, cancel, root, up, create}));
  Sync();
}

void DestinationDialogBox::Sync() {
  ShowPath(path_, FromAnsi(model_.path()));
  FillList(directories_, model_.directories());
  FillList(drives_, model_.drives());
}

}  // namespace tarvo
