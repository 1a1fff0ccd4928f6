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

#include <QImage>
#include <QSize>
#include <QString>

#include <climits>

namespace kuvaro {

// The largest picture Qt's BMP reader takes: 16384 x 16384 pixels in all,
// in any shape, with lines no wider than a 32-bit QImage can address.
inline constexpr qint64 MaxPicturePixels = qint64(16384) * 16384;
inline constexpr int MaxPictureWidth = (INT_MAX - 31) / 32;

// The memory an opened picture takes at most: the pristine and the working
// bitmap at 4 bytes a pixel, the decoded file picture when it is not 32-bit,
// and room for the display copy.
qint64 openedPictureBytes(QSize size, int bitsPerPixel);

// The memory this machine can still give, or -1 when it cannot tell.
qint64 availableMemoryBytes();

// Why a picture of this size cannot be opened with `available` bytes of
// memory (-1: not checked), in German and naming its size; empty when it can.
QString pictureSizeRefusal(QSize size, int bitsPerPixel, qint64 available);

QImage readBmpFile(const QString& path);
// As above, with the available memory given instead of asked from the system.
QImage readBmpFile(const QString& path, qint64 availableMemory);

} // namespace kuvaro
