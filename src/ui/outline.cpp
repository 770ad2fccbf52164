#include "ui/outline.h"

#include <QPainter>
#include <QPen>

namespace pinwright {

TOutline::TOutline(QWidget* parent) : QWidget(parent) {
  // Clicks go to whatever lies underneath; the outline only marks it.
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TOutline::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QPen pen(QColor(255, 255, 0), kPenWidth);
  pen.setJoinStyle(Qt::MiterJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  // The pen is centred on the path, so inset the path by half its width to keep the whole
  // stroke inside the widget.
  const qreal half = kPenWidth / 2.0;
  painter.drawRect(QRectF(rect()).adjusted(half, half, -half, -half));
}

}  // namespace pinwright
