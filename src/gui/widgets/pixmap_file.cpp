#include "gui/widgets/pixmap_file.h"

#include <QFileInfo>
#include <QImageReader>

QPixmap loadPixmap(const QString& path)
{
    QImageReader reader(path, QFileInfo(path).suffix().toLower().toLatin1());
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    if (image.isNull())
        return QPixmap(path);
    return QPixmap::fromImage(std::move(image));
}
