#pragma once
// Progress of reading a picture file, and the way to cancel it. The readers
// report the bytes read so far before each large read; a report that returns
// false cancels the reading, which then ends with ReadCancelled.

#include <QRgb>
#include <QSize>
#include <QtGlobal>

#include <exception>
#include <functional>

namespace kuvaro {

using ReadProgress = std::function<bool(qint64 done, qint64 total)>;

// Reading was cancelled through its progress report: nothing was opened.
class ReadCancelled : public std::exception
{
public:
    const char* what() const noexcept override { return "reading cancelled"; }
};

// Sees a picture while it is read: its size first, then its finished lines,
// 32-bit, in batches of whole lines one after the other, each line once, the
// batches in any order. Work on every pixel is done here while the lines are
// still in the cache, instead of in a second pass over the whole picture.
// A reader may leave lines out (Qt's decoders fill the picture themselves):
// a watch must be able to tell that it did not see them all.
class PictureWatch
{
public:
    virtual void pictureSize(QSize size) = 0;
    virtual void pictureLines(int first, int count, const QRgb* lines) = 0;

protected:
    ~PictureWatch() = default;
};

} // namespace kuvaro
