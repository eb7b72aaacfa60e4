#include "window/qt/label_widget.h"

#include <QMouseEvent>
#include <QPainter>

namespace orvane {

LabelWidget::LabelWidget(QWidget* parent, QColor colour) : QWidget(parent), colour_(colour) {
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void LabelWidget::set_caption(const std::string& bytes) {
  caption_ = bytes;
  shown_ = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  update();
}

void LabelWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Button));
  painter.setPen(colour_);
  painter.drawText(
      rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, shown_);
}

void LabelWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && on_press_) on_press_();
  event->accept();
}

// The second press of a double click opens nothing.
void LabelWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
}

}  // namespace orvane
