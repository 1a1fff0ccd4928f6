#pragma once
// Memory for the two bitmaps of an opened picture, both in Format_RGB32.
//
// A picture of 100 million pixels takes 400 MB. Copying that for the working
// bitmap at every load, and again at every reset or undo, would make the
// program sluggish. Where the system allows it (Linux), the pristine bitmap
// lives in an anonymous memory file, and the working bitmap is a private,
// copy-on-write mapping of that file: making it costs nothing, drawing copies
// only the memory pages that are drawn on, and restoring drops those copies
// again, so the pristine pixels show through. For small pictures, elsewhere,
// or when the system refuses, both are ordinary images and restoring copies
// the pixels back.

#include <QImage>
#include <QRect>
#include <QSize>

#include <memory>

namespace kuvaro {

// Storage for a new pristine bitmap while it is being filled in.
class PictureStorage
{
public:
    // Memory for a picture of this size; isNull() when it cannot be had.
    explicit PictureStorage(QSize size);
    ~PictureStorage();
    PictureStorage(const PictureStorage&) = delete;
    PictureStorage& operator=(const PictureStorage&) = delete;

    bool isNull() const { return m_pixels.isNull(); }
    // The pixels to fill in, every one of them.
    QImage& pixels() { return m_pixels; }
    // Hands the filled-in picture over as the pristine bitmap, an image with
    // read-only data: drawing into it would draw into a copy.
    QImage finish();

private:
    struct Mapping;
    QImage m_pixels;
    std::unique_ptr<Mapping> m_mapping;
};

// A working bitmap with the pixels of the pristine one: drawing into it never
// changes the pristine one. An ordinary image shares the pristine pixels until
// the first drawing copies them. Null when the memory cannot be had.
QImage workingCopyOf(const QImage& pristine);

// Makes the pixels of `rect` in the working bitmap equal to the pristine
// bitmap again. Both must have the same size and Format_RGB32.
void restorePixels(QImage& working, const QImage& pristine, const QRect& rect);

// Whether the working bitmap is a copy-on-write view of the pristine one.
bool isCopyOnWrite(const QImage& working, const QImage& pristine);

// Which memory new pictures get. Automatic: copy-on-write memory for pictures
// of CopyOnWriteFromBytes and more, where the system has it; smaller ones are
// copied faster than such memory is set up. Tests choose either kind.
enum class PictureMemoryKind { Automatic, Ordinary, CopyOnWrite };
inline constexpr qint64 CopyOnWriteFromBytes = qint64(32) << 20;
void setPictureMemoryKind(PictureMemoryKind kind);

} // namespace kuvaro
