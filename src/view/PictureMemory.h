#pragma once
// Memory for the two bitmaps of an opened picture, both in Format_RGB32, and
// the budget that decides whether a picture can be opened at all.
//
// A picture of 100 million pixels takes 400 MB. Copying that for the working
// bitmap at every load, and again at every reset or undo, would make the
// program sluggish. Where the system allows it (Linux), the pristine bitmap
// lives in an anonymous memory file, and the working bitmap is a private,
// copy-on-write mapping of that file: making it costs nothing, and drawing
// copies only the memory pages that are drawn on. For small pictures,
// elsewhere, or when the system refuses, both are ordinary images that share
// their pixels until the first drawing. Restoring copies the drawn-on pixels
// back from the pristine bitmap either way (see TPictureView::restoreFrom).

#include "view/ReadProgress.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <climits>
#include <memory>

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

// "<width> x <height>"
QString pictureSizeText(QSize size);

// Storage for a new pristine bitmap while it is being filled in.
class PictureStorage
{
public:
    // Memory for a picture of this size; isNull() when it cannot be had.
    // The watch, if any, is told the size and sees every line writeLines() takes.
    explicit PictureStorage(QSize size, PictureWatch* watch = nullptr);
    ~PictureStorage();
    PictureStorage(const PictureStorage&) = delete;
    PictureStorage& operator=(const PictureStorage&) = delete;

    bool isNull() const { return m_pixels.isNull(); }
    // The pixels to fill in, every one of them.
    QImage& pixels() { return m_pixels; }

    // Lines are best filled in by batches of this many (at least one):
    // about half a megabyte, small enough to stay in the cache.
    int batchLines() const;
    // Room for `count` (at most batchLines()) whole lines from `firstLine`
    // on, one after the other, to be filled in and handed to writeLines().
    // Where the picture's own memory can take them, it is that memory.
    QRgb* lineBuffer(int firstLine, int count);
    // Fills in `count` whole lines from `firstLine` on, given one after the
    // other in `lines` (best a lineBuffer()); false when the memory cannot
    // take them. Into a memory file they are written with plain write calls,
    // by a thread of its own while the reader goes on: the file gets its
    // pages as they are written, without zeroing them first and without a
    // page fault for each, which costs about half of writing through the
    // mapping, and getting the pages is most of what reading a large picture
    // costs.
    bool writeLines(int firstLine, int count, const QRgb* lines);
    // Hands the filled-in picture over as the pristine bitmap, an image with
    // read-only data: drawing into it would draw into a copy. Null when
    // lines could not be written.
    QImage finish();

private:
    struct Mapping;
    struct Writer;
    QImage m_pixels;
    PictureWatch* m_watch = nullptr;
    std::unique_ptr<Mapping> m_mapping;
    std::unique_ptr<Writer> m_writer;
};

// Copies a decoded picture of any format and the same size into the 32-bit
// pixels, a band of lines at a time so the conversion needs little extra
// memory; false when even that memory cannot be had.
bool copyConverted(PictureStorage& storage, const QImage& decoded);

// A working bitmap with the pixels of the pristine one: drawing into it never
// changes the pristine one. An ordinary image shares the pristine pixels until
// the first drawing copies them. Null when the memory cannot be had.
QImage workingCopyOf(const QImage& pristine);

// Whether the working bitmap is a copy-on-write view of the pristine one.
bool isCopyOnWrite(const QImage& working, const QImage& pristine);

// Which memory new pictures get. Automatic: copy-on-write memory for pictures
// of CopyOnWriteFromBytes and more, where the system has it; smaller ones are
// copied faster than such memory is set up. Tests choose either kind.
enum class PictureMemoryKind { Automatic, Ordinary, CopyOnWrite };
inline constexpr qint64 CopyOnWriteFromBytes = qint64(32) << 20;
void setPictureMemoryKind(PictureMemoryKind kind);

// Waits until the memory of pictures given up is given back to the system
// and new working bitmaps are mapped ahead (both done in the background).
void waitForPictureMemoryWork();

} // namespace kuvaro
