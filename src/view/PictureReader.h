#pragma once
// Reading any picture the program opens: BMP files through the BMP reader,
// PNG, JPEG, GIF, TIFF and WebP through Qt's image plugins, and pictures that
// come without a file (the clipboard). The content decides the format, not
// the name. Every picture comes out as the pristine bitmap: Format_RGB32,
// transparent pixels laid over white, in the picture memory. Failures throw
// KuvaroError with the program's German texts; nothing is half read.

#include "view/ReadProgress.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace kuvaro {

QImage readPictureFile(const QString& path);
// The watch, if any, sees the picture's lines as they are read.
QImage readPictureFile(const QString& path, qint64 availableMemory, const ReadProgress& progress = {},
                       PictureWatch* watch = nullptr);

// A picture that exists only in memory, with the same limits as a file's.
QImage pictureFromImage(const QImage& image, qint64 availableMemory, PictureWatch* watch = nullptr);

// The format a file's content shows ("bmp", "png", "jpeg", "gif", "tiff",
// "webp"), or empty when it is none of those.
QByteArray pictureFormatOf(const QString& path);

} // namespace kuvaro
