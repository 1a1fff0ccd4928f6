#pragma once
// Progress of reading a picture file, and the way to cancel it. The readers
// report the bytes read so far before each large read; a report that returns
// false cancels the reading, which then ends with ReadCancelled.

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

} // namespace kuvaro
