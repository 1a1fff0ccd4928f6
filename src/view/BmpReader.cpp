#include "view/BmpReader.h"

#include "app/Errors.h"

#include <QFile>
#include <QImageReader>

namespace kuvaro {

QImage readBmpFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw KuvaroError(QStringLiteral("Datei \"%1\" kann nicht geöffnet werden. %2").arg(path, file.errorString()));
    if (file.peek(2) != "BM")
        throw KuvaroError(QStringLiteral("Bitmap ist ungültig"));

    QImageReader reader(&file, "bmp");
    reader.setDecideFormatFromContent(false);
    QImage image = reader.read();
    if (image.isNull())
        throw KuvaroError(QStringLiteral("Bitmap ist ungültig"));
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    return image;
}

} // namespace kuvaro
