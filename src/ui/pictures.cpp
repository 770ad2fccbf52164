#include "ui/pictures.h"

#include <QPainter>
#include <QSvgRenderer>

namespace pinwright {

namespace {

// The picture drawn to fit the size, its proportions kept unless told otherwise.
QPixmap Rendered(QSvgRenderer& renderer, QSize size, qreal devicePixelRatio,
                 Qt::AspectRatioMode aspect = Qt::KeepAspectRatio) {
  if (!renderer.isValid())
    return {};
  renderer.setAspectRatioMode(aspect);
  QPixmap pixmap(size * devicePixelRatio);
  pixmap.setDevicePixelRatio(devicePixelRatio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
  return pixmap;
}

}  // namespace

QPixmap PictureFromSvgText(const QByteArray& svg, QSize size, qreal devicePixelRatio) {
  QSvgRenderer renderer(svg);
  return Rendered(renderer, size, devicePixelRatio);
}

QPixmap PictureFromFile(const QString& path, QSize size, qreal devicePixelRatio) {
  if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
    QSvgRenderer renderer(path);
    return Rendered(renderer, size, devicePixelRatio);
  }
  const QPixmap image(path);
  if (image.isNull())
    return {};
  QPixmap scaled =
      image.scaled(size * devicePixelRatio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  scaled.setDevicePixelRatio(devicePixelRatio);
  return scaled;
}

QPixmap PictureFromResource(const QString& resourceName, QSize size, qreal devicePixelRatio) {
  if (resourceName.isEmpty())
    return {};
  // The compiled-in pictures are drawn for their boxes, so they fill them.
  QSvgRenderer renderer(QStringLiteral(":/") + resourceName);
  return Rendered(renderer, size, devicePixelRatio, Qt::IgnoreAspectRatio);
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (const int side : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addPixmap(PictureFromResource(QStringLiteral("APP_ICON"), QSize(side, side), 1.0));
  }
  return icon;
}

}  // namespace pinwright
