#include "main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLayout>
#include <QMimeData>

#include "accelerator_filter.h"
#include "app_icon.h"
#include "dialogs/quit_dialog.h"
#include "qt_text.h"
#include "qt_ui.h"
#include "ui/context.h"
#include "ui/dispatcher.h"
#include "ui/dropped_items.h"
#include "ui/image_drive.h"
#include "ui/list_mouse.h"
#include "ui/menu_model.h"

namespace tarvo {

namespace {

// The local files and folders of a drag, or none when it carries anything else.
std::vector<std::filesystem::path> DroppedPaths(const QMimeData* data) {
  std::vector<std::filesystem::path> paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return {};
    paths.emplace_back(url.toLocalFile().toStdString());
  }
  return paths;
}

}  // namespace

MainWindow::MainWindow(Context& ctx, QtUi& ui, DriveBus& bus)
    : ctx_(ctx),
      ui_(ui),
      view_(new MainView(ctx, this)),
      menus_(new CommandMenus(*this)),
      images_(new ImageFiles(ctx, bus, ui, *this)) {
  setObjectName(QStringLiteral("Tarvo"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowIcon(AppIcon());
  setWindowTitle(FromAnsi(ctx.settings.windowTitle));
  setCentralWidget(view_);
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  setAcceptDrops(true);
  QMenu* driveMenu = menus_->popup(0);
  const QList<QAction*> driveItems = driveMenu->actions();
  images_->AddRecentMenu(*driveMenu, driveItems.value(driveItems.indexOf(menus_->action(kMenuNewImage)) + 1));
  connect(images_, &ImageFiles::recentChosen, this, &MainWindow::OpenImage);

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
  Guarded([&] {
    if (id == kMenuOpenImage) images_->OpenChosen();
    else if (id == kMenuNewImage) images_->CreateChosen();
    else DispatchCommand(ctx_, id);
  });
  AfterCommand();
}

void MainWindow::OpenImage(const QString& path) {
  Guarded([&] { images_->Open(path); });
  AfterCommand();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedPaths(event->mimeData()).empty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const std::vector<std::filesystem::path> paths = DroppedPaths(event->mimeData());
  if (paths.empty()) return;
  event->acceptProposedAction();
  // The drag's source waits until the drop returns: the copy and its
  // questions run after it.
  QMetaObject::invokeMethod(
      this,
      [this, paths] {
        if (paths.size() == 1 && LooksLikeImage(paths.front()))
          return OpenImage(QString::fromStdString(paths.front().string()));
        Guarded([&] { CopyDroppedItems(ctx_, paths); });
        AfterCommand();
      },
      Qt::QueuedConnection);
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
