#include "base/KsAppIcon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace ks {

QIcon applicationIcon()
{
    // Drawn here rather than left to an icon plugin, so that the icon does
    // not depend on what happens to be installed next to Qt.
    QSvgRenderer renderer(kAppIconResource);
    if (!renderer.isValid())
        return {};
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace ks
