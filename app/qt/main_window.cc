#include "main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLayout>

#include "accelerator_filter.h"
#include "app_icon.h"
#include "base/context.h"
#include "dialogs/quit_dialog.h"
#include "qt_text.h"
#include "qt_ui.h"
#include "ui/dispatcher.h"
#include "ui/list_mouse.h"
#include "ui/menu_model.h"

namespace tarvo {

MainWindow::MainWindow(Context& ctx, QtUi& ui)
    : ctx_(ctx), ui_(ui), view_(new MainView(ctx, this)), menus_(new CommandMenus(*this)) {
  setObjectName(QStringLiteral("Tarvo"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowIcon(AppIcon());
  setWindowTitle(FromAnsi(ctx.settings.windowTitle));
  setCentralWidget(view_);
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  auto* accelerators = new AcceleratorFilter(*this);
  connect(accelerators, &AcceleratorFilter::commandChosen, this, &MainWindow::RunCommand);
  connect(menus_, &CommandMenus::commandChosen, this, &MainWindow::RunCommand);
  connect(view_, &MainView::commandChosen, this, &MainWindow::RunCommand);
  connect(menus_, &CommandMenus::highlighted, this, [this](int id) { Guarded([&] { OnMenuHighlight(ctx_, id); }); });
  connect(view_, &MainView::listClicked, this, [this](QPoint at) {
    Guarded([&] { OnListClick(ctx_, at.x(), at.y(), view_->width(), view_->lineHeight()); });
    AfterCommand();
  });
  connect(view_, &MainView::listDoubleClicked, this, [this](QPoint at) {
    Guarded([&] { OnListDoubleClick(ctx_, at.x(), at.y(), view_->width(), view_->lineHeight()); });
    AfterCommand();
  });
  connect(view_, &MainView::listRightClicked, this, &MainWindow::ShowListingPopup);
  ui_.Attach(this, view_, [this] { Refresh(); });
  ui_.SetDialogMovedHandler([this] {
    Guarded([&] { SetStatus(ctx_, std::nullopt, std::nullopt); });
    Refresh();
  });
}

void MainWindow::Refresh() {
  setWindowTitle(FromAnsi(ctx_.settings.windowTitle));
  menus_->Apply(ctx_.menu);
  view_->ApplyButtons(ctx_.menu);
  view_->update();
}

void MainWindow::RunCommand(int id) {
  Guarded([&] { DispatchCommand(ctx_, id); });
  AfterCommand();
}

void MainWindow::AfterCommand() {
  ui_.EndWait();
  Refresh();
  // "E&xit" posts the close request; it is answered once the command is over.
  if (ctx_.settings.closeRequested) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  ctx_.settings.closeRequested = false;
  if (fatal_) return event->accept();
  QuitDialog dialog(this);
  if (ui_.RunDialog(dialog) != 1) return event->ignore();
  event->accept();
  ui_.CloseHelp();
  QCoreApplication::exit(0);
}

template <typename Action>
void MainWindow::Guarded(Action&& action) {
  if (fatal_) return;
  try {
    action();
  } catch (const FatalExit&) {
    fatal_ = true;
    ui_.EndWait();
    QCoreApplication::exit(1);
  }
}

// A right click selects the row and offers "POPMENU" for it; the item chosen
// runs as an ordinary command.
void MainWindow::ShowListingPopup(QPoint at, QPoint global) {
  std::optional<std::uint16_t> row;
  Guarded([&] { row = OnListRightClick(ctx_, at.x(), at.y(), view_->width(), view_->lineHeight()); });
  if (!row) return;
  const int id = menus_->ExecListingPopup(global, IsFolder(ctx_.listing, *row), this);
  if (id != 0) RunCommand(id);
  else AfterCommand();
}

}  // namespace tarvo
