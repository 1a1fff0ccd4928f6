#pragma once
// Reading the pixel rows of the most common BMP files without Qt's reader:
// uncompressed 24-bit, 32-bit (BI_RGB) and 8-bit palette pictures, bottom-up
// or top-down. Qt's reader converts pixel by pixel through a general path;
// here the rows come in with large sequential reads (plain read calls, no
// memory mapping: a file that shrinks while mapped kills the program), 32-bit
// rows straight into the picture's lines, 24-bit rows widened to 32 bits a
// vector at a time, 8-bit rows through the palette. The result is the one
// Qt's reader gives, pixel for pixel; the tests compare both.

#include "view/ReadProgress.h"

#include <QImage>
#include <QList>

class QFile;

namespace kuvaro {

class PictureStorage;

// What the checked headers of a BMP file say about its pixel rows.
struct BmpRows
{
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bits = 0;
    quint32 compression = 0;
    qint64 dataStart = 0;
    // 256 entries for 8-bit pictures, colours the file leaves out black.
    QList<QRgb> palette;
};

enum class FastBmpRead {
    NotHandled, // a layout left to Qt's reader; nothing was read
    Done, // every line is in the storage
    Short, // the file ended before its last row
    Cancelled, // the progress report said to stop
    NoMemory, // the lines could not be stored
};

// Reads the rows of `file` into `storage` (a picture of the file's size)
// when the layout is one of those above, in the storage's batches of lines,
// reporting progress before each batch.
FastBmpRead readBmpRowsFast(QFile& file, const BmpRows& rows, PictureStorage& storage,
                            const ReadProgress& progress = {});

// Whether readBmpRowsFast() is used at all; on by default. The tests turn it
// off to compare with Qt's reader.
void setFastBmpReading(bool on);
bool fastBmpReading();

} // namespace kuvaro
