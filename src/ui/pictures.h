// Pictures compiled into the program, looked up by resource name, and the pictures of card
// files, drawn at a given size.
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace pinwright {

// The picture of that resource name drawn at the size on a transparent ground; a null
// pixmap when there is no such picture.
QPixmap PictureFromResource(const QString& resourceName, QSize size, qreal devicePixelRatio);

// An SVG text, or an SVG or PNG file, drawn to fit the size with its proportions kept; a null
// pixmap when it cannot be read.
QPixmap PictureFromSvgText(const QByteArray& svg, QSize size, qreal devicePixelRatio);
QPixmap PictureFromFile(const QString& path, QSize size, qreal devicePixelRatio);

// The program's icon, the same drawing the desktop entry shows, at the usual icon sizes.
QIcon ApplicationIcon();

}  // namespace pinwright
