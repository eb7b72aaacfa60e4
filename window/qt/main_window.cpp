#include "window/qt/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QIcon>
#include <QKeyEvent>
#include <QListView>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyleFactory>
#include <QTimer>
#include <QUrl>

#include "window/handlers.h"
#include "window/qt/block_progress_bar.h"
#include "window/qt/label_widget.h"
#include "window/qt/list_model.h"
#include "window/texts.h"

namespace orvane {
namespace {

QString qt_text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string bytes_of(const QString& path) {
  const QByteArray bytes = QFile::encodeName(path);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

void prepare_application(QApplication& app) {
  if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"))) app.setStyle(classic);
  QFont font = QApplication::font();
  font.setPixelSize(12);
  app.setFont(font);
  app.setWindowIcon(QIcon(QStringLiteral(":/orvane.png")));
}

启动窗口::启动窗口(FileSystem& fs) : QWidget(nullptr), fs_(fs) {
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowTitle(qt_text(kWindowCaption));
  setWindowIcon(QIcon(QStringLiteral(":/orvane.png")));
  setFixedSize(kWindowWidth, kWindowHeight);
  setAutoFillBackground(true);
  QPalette face = palette();
  face.setColor(QPalette::Window, face.color(QPalette::Button));
  setPalette(face);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  const Point corner = centred_on_screen(screen.width(), screen.height());
  move(screen.left() + corner.left, screen.top() + corner.top);

  build_controls();
  qApp->installEventFilter(this);
}

启动窗口::~启动窗口() {
  qApp->removeEventFilter(this);
}

void 启动窗口::build_controls() {
  for (const ControlSpec& control : kControls) {
    QWidget* w = nullptr;
    switch (control.kind) {
      case 控件类型::button: {
        auto* button = new QPushButton(qt_text(control.text), this);
        button->setAutoDefault(false);
        button->setDefault(false);
        const 控件 id = control.id;
        connect(button, &QPushButton::clicked, this, [this, id] { on_click(id, *this, fs_); });
        w = button;
        break;
      }
      case 控件类型::label: {
        const bool credit = control.id == 控件::标签3;
        auto* l = new LabelWidget(this, credit ? QColor(0, 0, 255) : QColor(0, 0, 0));
        l->set_caption(std::string(control.text));
        if (credit) {
          l->on_press(
              [] { QDesktopServices::openUrl(QUrl(qt_text(kCreditAddress), QUrl::StrictMode)); });
        }
        w = l;
        break;
      }
      case 控件类型::list_box: {
        auto* view = new QListView(this);
        list_model_ = new ByteListModel(view);
        list_model_->set_row_height(view->fontMetrics().height() + 1);
        view->setModel(list_model_);
        view->setUniformItemSizes(true);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        view->setTextElideMode(Qt::ElideNone);
        view->setWordWrap(false);
        view->setFrameShape(QFrame::StyledPanel);
        view->setFrameShadow(QFrame::Sunken);
        QPalette white = view->palette();
        white.setColor(QPalette::Base, Qt::white);
        white.setColor(QPalette::Text, Qt::black);
        view->setPalette(white);
        w = view;
        break;
      }
      case 控件类型::progress_bar: {
        auto* bar = new BlockProgressBar(this);
        bar->setRange(0, kProgressStartMaximum);
        bar->setValue(0);
        w = bar;
        break;
      }
      case 控件类型::check_box:
        w = new QCheckBox(qt_text(control.text), this);
        break;
    }
    w->setObjectName(qt_text(control.name));
    w->setGeometry(control.left, control.top, control.width, control.height);
    w->setEnabled(control.enabled);
    widgets_[static_cast<std::size_t>(control.id)] = w;
  }
  for (std::size_t i = 0; i + 1 < kTabOrder.size(); ++i)
    setTabOrder(widget(kTabOrder[i]), widget(kTabOrder[i + 1]));
  const auto eligible = [this](控件 c) { return widget(c)->isEnabled(); };
  if (const auto first = next_in_tab_order(std::nullopt, true, eligible))
    widget(*first)->setFocus(Qt::OtherFocusReason);
}

LabelWidget* 启动窗口::label(控件 id) const {
  return static_cast<LabelWidget*>(widget(id));
}

std::string 启动窗口::caption(控件 id) const {
  return label(id)->caption();
}

void 启动窗口::set_caption(控件 id, const std::string& text) {
  label(id)->set_caption(text);
}

void 启动窗口::set_disabled(控件 button, int flag) {
  widget(button)->setEnabled(flag == 0);
}

int 启动窗口::ticked(控件 box) const {
  return static_cast<QCheckBox*>(widget(box))->isChecked() ? 1 : 0;
}

void 启动窗口::set_maximum(控件 id, int maximum) {
  progress_.set_maximum(maximum);
  auto* bar = static_cast<QProgressBar*>(widget(id));
  // A range of 0..0 would make Qt show a busy bar; show an empty one instead.
  const int low = progress_.range_low(), high = progress_.range_high();
  bar->setRange(low, high > low ? high : low + 1);
  set_position(id, progress_.position());
}

void 启动窗口::set_position(控件 id, int position) {
  progress_.set_position(position);
  auto* bar = static_cast<QProgressBar*>(widget(id));
  const int low = progress_.range_low(), high = progress_.range_high();
  const int shown = high > low ? progress_.shown() : low;
  // QProgressBar::setValue paints at once whenever it finds the change visible, by comparing with
  // the value its own paintEvent painted last; a bar that paints itself never tells it, so it
  // would paint on every step. The value is set with painting held, and painted below.
  bar->setUpdatesEnabled(false);
  bar->setValue(shown);
  bar->setUpdatesEnabled(true);
  // Paint now, as the handler keeps the thread busy; but only when the filled part changes, so
  // that a run over many small files does not spend its time drawing the same bar.
  const int fill =
      high > low
          ? static_cast<int>(static_cast<long long>(shown - low) * bar->width() / (high - low))
          : 0;
  if (fill != painted_fill_) {
    painted_fill_ = fill;
    bar->repaint();
  }
}

int 启动窗口::position(控件) const {
  return progress_.position();
}

int 启动窗口::shown_position() const {
  return static_cast<QProgressBar*>(widget(控件::进度条1))->value();
}

void 启动窗口::clear(控件) {
  list_model_->clear();
}

int 启动窗口::add_item(控件, const std::string& text) {
  return list_model_->append(text);
}

int 启动窗口::item_count(控件) const {
  return list_model_->count();
}

std::string 启动窗口::item_text(控件, int index) const {
  return std::string(list_model_->item(index));
}

void 启动窗口::replace_dialogs(Browser browser, Messenger messenger) {
  browser_ = std::move(browser);
  messenger_ = std::move(messenger);
}

void 启动窗口::message_box(const std::string& message) {
  list_model_->publish();
  if (messenger_) return messenger_(message);
  QMessageBox box(QMessageBox::NoIcon, qt_text(kMessageTitle), QString::fromUtf8(message.c_str()),
                  QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

std::string 启动窗口::browse_for_folder(const std::string& prompt) {
  if (browser_) return browser_(prompt);
  const QString picked = QFileDialog::getExistingDirectory(this, QString::fromUtf8(prompt.c_str()),
                                                           QString(), QFileDialog::ShowDirsOnly);
  if (picked.isEmpty()) return {};
  // The chooser gives the root as "/" and every other folder without a trailing separator.
  return bytes_of(picked);
}

void 启动窗口::move_focus(bool forward) {
  std::optional<控件> current;
  for (const ControlSpec& control : kControls)
    if (widget(control.id)->hasFocus()) current = control.id;
  const auto eligible = [this](控件 c) { return widget(c)->isVisible() && widget(c)->isEnabled(); };
  if (const auto next = next_in_tab_order(current, forward, eligible))
    widget(*next)->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

bool 启动窗口::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !watched->isWidgetType() ||
      static_cast<QWidget*>(watched)->window() != this)
    return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  const auto modifiers = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier |
                                             Qt::ShiftModifier | Qt::MetaModifier);
  switch (key->key()) {
    case Qt::Key_Tab:
      if (modifiers == Qt::NoModifier) move_focus(true);
      if (modifiers == Qt::ShiftModifier) move_focus(false);
      return true;
    case Qt::Key_Backtab:
      if (modifiers == Qt::ShiftModifier) move_focus(false);
      return true;
    case Qt::Key_Escape:
      if (modifiers != Qt::NoModifier) return false;
      close();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // There is no default button: Enter does nothing.
      return modifiers == Qt::NoModifier;
    default:
      return false;
  }
}

void 启动窗口::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  QTimer::singleShot(0, this, &启动窗口::fit_outer_size);
}

// The outer size, frame included, is 560 x 437: once the window manager has framed the window,
// the client area gives up what the frame takes.
void 启动窗口::fit_outer_size() {
  const QSize frame = frameGeometry().size() - geometry().size();
  if (frame.width() <= 0 && frame.height() <= 0) return;  // no frame drawn
  if (frameGeometry().size() == QSize(kWindowWidth, kWindowHeight)) return;
  const QPoint corner = frameGeometry().topLeft();
  setFixedSize(kWindowWidth - frame.width(), kWindowHeight - frame.height());
  move(corner);
}

}  // namespace orvane
