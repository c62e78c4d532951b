#include "main_view.h"

#include <QMouseEvent>
#include <QPainter>

#include "app_icon.h"
#include "qt_text.h"
#include "status_painter.h"
#include "ui/menu_model.h"

namespace tarvo {

namespace {

// The listing's columns leave 101 pixels for a 14-character date; a face
// whose figures are wider than Helvetica's is taken a size smaller until
// the date fits, so no column runs into the next.
QFont ListingFont() {
  QFont font;
  font.setFamilies({QStringLiteral("Helvetica"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setWeight(QFont::Normal);
  for (int size = 14; size >= 10; --size) {
    font.setPixelSize(size);
    if (QFontMetrics(font).horizontalAdvance(QStringLiteral("12/31/99 23:59")) <= 97) break;
  }
  return font;
}

}  // namespace

MainView::MainView(Context& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx), icon_(AppIconPixmap()) {
  setFixedSize(kWidth, kHeight);
  font_ = ListingFont();
  setFont(font_);
  const auto model = FunctionButtons();
  for (std::size_t i = 0; i < model.size(); ++i) {
    auto* button = new QPushButton(FromAnsi(std::string(model[i].caption)), this);
    button->setObjectName(QString::number(model[i].command));
    button->setGeometry(model[i].x, kFunctionButtonTop, model[i].width, kFunctionButtonHeight);
    button->setEnabled(false);
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this, [this, id = model[i].command] { emit commandChosen(id); });
    buttons_[i] = button;
  }
}

void MainView::SetStatus(const QString& left, const QString& right) {
  statusLeft_ = left;
  statusRight_ = right;
  progress_.reset();
  RedrawStatusBand();
}

void MainView::SetProgress(unsigned percent) {
  progress_ = percent;
  RedrawStatusBand();
}

void MainView::ApplyButtons(const MenuState& state) {
  for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->setEnabled(state.buttonsEnabled[i]);
}

int MainView::lineHeight() const { return QFontMetrics(font_).lineSpacing(); }

ClientGeometry MainView::geometryForPainting() const { return ClientGeometry{width(), height(), lineHeight()}; }

void MainView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setFont(font_);
  const ClientGeometry g = geometryForPainting();
  PaintClient(painter, ctx_, g, icon_);
  PaintStatusBand(painter, StatusBand(), statusLeft_, statusRight_);
  if (progress_) PaintProgressBar(painter, g.width, g.statusTop(), *progress_);
}

// The left and middle buttons select; a double click (any button) enters a
// folder and replaces the second click, as the platform reports it.
void MainView::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (event->button() == Qt::RightButton) emit listRightClicked(at, event->globalPosition().toPoint());
  else if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) emit listClicked(at);
}

void MainView::mouseDoubleClickEvent(QMouseEvent* event) { emit listDoubleClicked(event->position().toPoint()); }

QRect MainView::StatusBand() const {
  const ClientGeometry g = geometryForPainting();
  return QRect(0, g.statusTop(), g.width, g.height - g.statusTop());
}

// Long operations change the status line between two looks at the event
// queue, so a visible window draws it at once.
void MainView::RedrawStatusBand() {
  if (isVisible()) repaint(StatusBand());
  else update(StatusBand());
}

}  // namespace tarvo
