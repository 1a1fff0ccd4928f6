// The BMP reader on arbitrary files: a file is either refused with the
// program's own failure or read into a 32-bit picture of exactly the size its
// headers declare. Anything else (a crash, a sanitizer report, another
// exception, a picture of another size) is a finding.

#include "FuzzInput.h"
#include "core/Errors.h"
#include "view/BmpReader.h"

#include <QImage>
#include <QSize>
#include <QtEndian>

#include <sys/mman.h>
#include <unistd.h>

using namespace kuvaro;

namespace {

// Small enough that one input stays fast, large enough for every header
// variant at a few thousand pixels.
constexpr qint64 MemoryBudget = qint64(48) << 20;

// The reader takes a path: the bytes go into a memory file reached through /proc.
struct MemoryFile
{
    int fd = -1;
    QString path;
};

const MemoryFile& memoryFile()
{
    static const MemoryFile file = [] {
        const int fd = memfd_create("kuvaro-fuzz.bmp", 0);
        if (fd < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        return MemoryFile{fd, QStringLiteral("/proc/self/fd/%1").arg(fd)};
    }();
    return file;
}

// Width and height (without sign) as the file's headers give them; the
// reader has already accepted the headers, so they are there.
QSize declaredSize(const uint8_t* data, size_t size)
{
    if (size < 26)
        fuzz::broken("picture from a file without headers");
    const quint32 headerSize = qFromLittleEndian<quint32>(data + 14);
    if (headerSize == 12)
        return QSize(qFromLittleEndian<quint16>(data + 18), qFromLittleEndian<quint16>(data + 20));
    const qint32 height = qFromLittleEndian<qint32>(data + 22);
    return QSize(qFromLittleEndian<qint32>(data + 18), height < 0 ? -height : height);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const MemoryFile& file = memoryFile();
    if (ftruncate(file.fd, 0) != 0 || pwrite(file.fd, data, size, 0) != ssize_t(size)) {
        std::perror("memory file");
        std::abort();
    }
    QImage picture;
    try {
        picture = readBmpFile(file.path, MemoryBudget);
    } catch (const KuvaroError&) {
        return 0;
    }
    const QSize declared = declaredSize(data, size);
    if (picture.isNull() || picture.size() != declared || picture.format() != QImage::Format_RGB32)
        fuzz::broken("accepted picture",
                     QStringLiteral("%1 x %2 format %3, declared %4 x %5")
                         .arg(picture.width())
                         .arg(picture.height())
                         .arg(int(picture.format()))
                         .arg(declared.width())
                         .arg(declared.height()));
    return 0;
}
