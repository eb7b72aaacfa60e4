#include "window/qt/block_progress_bar.h"

#include <qdrawutil.h>
#include <QPainter>

namespace orvane {

BlockProgressBar::BlockProgressBar(QWidget* parent) : QProgressBar(parent) {
  setTextVisible(false);
  setFocusPolicy(Qt::NoFocus);
}

void BlockProgressBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Button));
  qDrawShadePanel(&painter, rect(), palette(), true, 1);
  const QRect inner = rect().adjusted(2, 2, -2, -2);
  const long long span = static_cast<long long>(maximum()) - minimum();
  if (span <= 0 || inner.width() <= 0) return;
  const int filled =
      static_cast<int>((static_cast<long long>(value()) - minimum()) * inner.width() / span);
  const int block = qMax(2, inner.height() * 2 / 3);
  const int gap = 2;
  const QColor colour = palette().color(QPalette::Highlight);
  for (int x = 0; x < filled; x += block + gap)
    painter.fillRect(QRect(inner.left() + x, inner.top(), qMin(block, filled - x), inner.height()),
                     colour);
}

}  // namespace orvane
