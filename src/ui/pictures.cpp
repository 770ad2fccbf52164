#include "ui/pictures.h"

#include <QPainter>
#include <QSvgRenderer>

namespace pinwright {

QPixmap PictureFromResource(const QString& resourceName, QSize size, qreal devicePixelRatio) {
  if (resourceName.isEmpty())
    return {};
  QSvgRenderer renderer(QStringLiteral(":/") + resourceName);
  if (!renderer.isValid())
    return {};
  QPixmap pixmap(size * devicePixelRatio);
  pixmap.setDevicePixelRatio(devicePixelRatio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
  return pixmap;
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (const int side : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addPixmap(PictureFromResource(QStringLiteral("APP_ICON"), QSize(side, side), 1.0));
  }
  return icon;
}

}  // namespace pinwright
