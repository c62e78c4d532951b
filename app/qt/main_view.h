// The main window's client area, 640 x 425: the six function buttons, the
// painted bands, header and listing, and the status line with its progress
// bar. It draws the core's state and reports the user's clicks; the main
// window turns them into commands.
//
// The status line keeps the texts last painted; a progress bar stays over
// it until the status line is painted again. The listing font is a
// proportional sans-serif face, 14 pixels high (smaller for a face with
// wide figures); its line spacing is the listing's line height.
#pragma once

#include <QFont>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <optional>

#include "client_painter.h"
#include "ui/menu_state.h"

namespace tarvo {

struct Context;

class MainView : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kWidth = 640;
  static constexpr int kHeight = 425;

  MainView(Context& ctx, QWidget* parent);

  void SetStatus(const QString& left, const QString& right);
  void SetProgress(unsigned percent);
  void ApplyButtons(const MenuState& state);

  int lineHeight() const;
  ClientGeometry geometryForPainting() const;
  const QString& statusLeft() const { return statusLeft_; }
  const QString& statusRight() const { return statusRight_; }
  std::optional<unsigned> progress() const { return progress_; }
  QPushButton* button(std::size_t i) const { return buttons_.at(i); }

 signals:
  void commandChosen(int id);
  void listClicked(QPoint at);
  void listDoubleClicked(QPoint at);
  void listRightClicked(QPoint at, QPoint global);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QRect StatusBand() const;
  void RedrawStatusBand();

  Context& ctx_;
  QFont font_;
  QPixmap icon_;
  std::array<QPushButton*, 6> buttons_{};
  QString statusLeft_;
  QString statusRight_;
  std::optional<unsigned> progress_;
};

}  // namespace tarvo
