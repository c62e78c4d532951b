#include "dump_window.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>

#include "qt_text.h"

namespace tarvo {

// The client area: the view's screen of lines on white.
class DumpPage : public QWidget {
 public:
  DumpPage(const DumpView& view, QWidget* parent) : QWidget(parent), view_(view) {
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(11);
    setFont(font);
    setObjectName(QStringLiteral("page"));
    // The screen's rows and a blank one below, in whatever height the
    // machine's fixed-pitch font has: the window grows rather than cut lines.
    setMinimumHeight((LineRow(kDumpLinesPerScreen - 1) + 2) * lineHeight());
  }

  // The row height: the font's height and leading, 2 pixels tighter.
  int lineHeight() const {
    const QFontMetrics metrics(font());
    return std::max(1, metrics.height() + metrics.leading() - 2);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    const int height = lineHeight();
    const int ascent = QFontMetrics(font()).ascent();
    const std::vector<std::string> lines = view_.ScreenLines();
    for (int k = 0; k < static_cast<int>(lines.size()); ++k)
      painter.drawText(2, LineRow(k) * height + ascent, FromAnsi(lines[static_cast<std::size_t>(k)]));
  }

 private:
  const DumpView& view_;
};

DumpWindow::DumpWindow(DumpView& view, QWidget* parent)
    : TarvoDialog(QStringLiteral("filedump"), FromAnsi(view.title()), parent), view_(view) {
  auto* bar = new QMenuBar(this);
  bar->setObjectName(QStringLiteral("FILEDUMP"));
  QMenu* file = bar->addMenu(tr("&File"));
  auto* forks = new QActionGroup(this);
  QAction* data = AddChoice(file, forks, 100, tr("Data"), view.fork() == DumpFork::kData);
  QAction* resource = AddChoice(file, forks, 101, tr("Resource"), view.fork() == DumpFork::kResource);
  data->setEnabled(view.dataEnabled());
  resource->setEnabled(view.resourceEnabled());
  connect(data, &QAction::triggered, this, [this] { Apply([&] { view_.ShowFork(DumpFork::kData); }); });
  connect(resource, &QAction::triggered, this, [this] { Apply([&] { view_.ShowFork(DumpFork::kResource); }); });
  QAction* parameter = file->addAction(tr("File Parameter"));
  parameter->setObjectName(QStringLiteral("102"));
  connect(parameter, &QAction::triggered, this, [this] { Apply([&] { view_.FileParameter(); }); });
  QAction* back = file->addAction(tr("Back to Main Screen"));
  back->setObjectName(QStringLiteral("103"));
  connect(back, &QAction::triggered, this, [this] { done(1); });

  QMenu* fonts = bar->addMenu(tr("&Fonts"));
  auto* charsets = new QActionGroup(this);
  const std::vector<std::pair<DumpCharset, QString>> sets{{DumpCharset::kMacintosh, tr("Ascii Macintosh")},
                                                          {DumpCharset::kAnsi, tr("Ansi Windows")},
                                                          {DumpCharset::kDos, tr("Ascii DOS")}};
  for (const auto& [charset, text] : sets) {
    QAction* item = AddChoice(fonts, charsets, static_cast<int>(charset), text, view.charset() == charset);
    connect(item, &QAction::triggered, this, [this, set = charset] { Apply([&] { view_.SetCharset(set); }); });
  }
  QMenu* numeration = bar->addMenu(tr("&Numeration"));
  auto* bases = new QActionGroup(this);
  QAction* decimal = AddChoice(numeration, bases, 401, tr("Decimal"), view.base() == 10);
  QAction* hexadecimal = AddChoice(numeration, bases, 402, tr("Hexadecimal"), view.base() == 16);
  connect(decimal, &QAction::triggered, this, [this] { Apply([&] { view_.SetBase(10); }); });
  connect(hexadecimal, &QAction::triggered, this, [this] { Apply([&] { view_.SetBase(16); }); });

  page_ = new DumpPage(view, this);
  scrollBar_ = new QScrollBar(Qt::Vertical, this);
  scrollBar_->setObjectName(QStringLiteral("scroll"));
  scrollBar_->setRange(0, static_cast<int>(view.scrollRange()));
  connect(scrollBar_, &QScrollBar::actionTriggered, this, &DumpWindow::OnScrollAction);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(bar);
  layout->addWidget(page_, 1);
  layout->addWidget(scrollBar_);
  resize(615, 435);
  setFocusPolicy(Qt::StrongFocus);
}

void DumpWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Home: return Apply([&] { view_.Top(); });
    case Qt::Key_End: return Apply([&] { view_.Bottom(); });
    case Qt::Key_PageUp:
    case Qt::Key_Up: return Apply([&] { view_.PageUp(); });
    case Qt::Key_PageDown:
    case Qt::Key_Down: return Apply([&] { view_.PageDown(); });
    default: TarvoDialog::keyPressEvent(event);
  }
}

QAction* DumpWindow::AddChoice(QMenu* menu, QActionGroup* group, int id, const QString& text, bool checked) {
  QAction* item = menu->addAction(text);
  item->setObjectName(QString::number(id));
  item->setCheckable(true);
  item->setChecked(checked);
  group->addAction(item);
  return item;
}

// Runs a view action, then redraws the page and the scroll bar from the view.
template <typename Action>
void DumpWindow::Apply(Action&& action) {
  Guard([&] {
    action();
    scrollBar_->setRange(0, static_cast<int>(view_.scrollRange()));
    scrollBar_->setSliderPosition(static_cast<int>(view_.thumb()));
    page_->update();
  });
}

// The scroll bar has moved its slider already; the view decides where it
// ends up.
void DumpWindow::OnScrollAction(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: return Apply([&] { view_.LineDown(); });
    case QAbstractSlider::SliderSingleStepSub: return Apply([&] { view_.LineUp(); });
    case QAbstractSlider::SliderPageStepAdd: return Apply([&] { view_.PageDown(); });
    case QAbstractSlider::SliderPageStepSub: return Apply([&] { view_.PageUp(); });
    case QAbstractSlider::SliderToMinimum: return Apply([&] { view_.Top(); });
    case QAbstractSlider::SliderToMaximum: return Apply([&] { view_.Bottom(); });
    case QAbstractSlider::SliderMove: {
      const auto thumb = static_cast<std::uint32_t>(std::max(0, scrollBar_->sliderPosition()));
      return Apply([&] { view_.Thumb(thumb); });
    }
    default: return;
  }
}

}  // namespace tarvo
