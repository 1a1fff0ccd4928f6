#pragma once
// Reading a BMP file into a 32-bit picture (Format_RGB32). Throws KuvaroError
// with a German message when the file is not a BMP picture that can be read
// whole, or when the picture is too large to be opened.
//
// The file is checked before anything is decoded: its headers, and whether the
// pixel data the headers promise is really there (for run-length encoded
// pictures, a complete, well-formed pixel stream). Only then Qt's BMP reader
// decodes it, fed with a plain 40-byte header that says what the file's own
// header means, so Qt reads every header variant the same way. Pixels that a
// run-length encoded picture skips take the first colour of its palette.

#include "view/ReadProgress.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace kuvaro {

QImage readBmpFile(const QString& path);
// As above, with the available memory given instead of asked from the system,
// and reporting progress (null: none).
// The watch, if any, sees the picture's lines as they are read.
QImage readBmpFile(const QString& path, qint64 availableMemory, const ReadProgress& progress = {},
                   PictureWatch* watch = nullptr);

} // namespace kuvaro
