// Pictures compiled into the program, looked up by resource name and drawn at a given size.
#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

namespace pinwright {

// The picture of that resource name drawn at the size on a transparent ground; a null
// pixmap when there is no such picture.
QPixmap PictureFromResource(const QString& resourceName, QSize size, qreal devicePixelRatio);

}  // namespace pinwright
