#include "results/CsvFile.h"

#include "core/Errors.h"
#include "core/SystemError.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kuvaro {

namespace {

// What "%f" makes of an infinite or undefined value: "inf", "-inf", "nan", "-nan".
bool readsAsNonFinite(const QString& text)
{
    QString t = text.trimmed().toLower();
    if (t.startsWith(u'-') || t.startsWith(u'+'))
        t.remove(0, 1);
    return t == QLatin1String("inf") || t == QLatin1String("infinity") || t == QLatin1String("nan");
}

} // namespace

QString notFiniteText(const QString& text)
{
    return QStringLiteral("Der Wert '%1' ist nicht endlich und kann nicht gespeichert werden").arg(text);
}

QStringList buildResultLines(const QList<CsvPoint>& points)
{
    for (const CsvPoint& p : points) {
        for (const QString* text : {&p.x, &p.y})
            if (readsAsNonFinite(*text))
                throw KuvaroError(notFiniteText(*text));
    }
    QStringList lines;
    lines << QStringLiteral(";") << QStringLiteral("Programm kuvaro1") << QStringLiteral(";") << QStringLiteral(";")
          << QStringLiteral("Nr.;x-Koord;y-Koord;Einzel-Flächen;");
    int row = 6; // spreadsheet row of the first point line
    for (qsizetype i = 0; i < points.size(); ++i, ++row) {
        const QString formula =
            i == 0 ? QStringLiteral(";")
                   : QStringLiteral("=(B%1-B%2)*(C%1+C%2)/2;").arg(row).arg(row - 1).left(40);
        lines << points[i].nr.left(10) + u';' + points[i].x + u';' + points[i].y + u';' + formula;
    }
    lines << QStringLiteral(";");
    lines << QStringLiteral(";Flächensumme;;=Summe(d%1:d%2);").arg(6).arg(row - 1);
    return lines;
}

QByteArray encodeResultFile(const QStringList& lines)
{
    QByteArray bytes("\xEF\xBB\xBF");
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

namespace {

[[noreturn]] void cannotCreate(const QString& path, int errnoValue)
{
    throw KuvaroError(
        QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(path, germanReason(errnoValue)));
}

// Ends the temporary file on every path but success: closed and removed, so
// the folder holds what it held before.
class TemporaryFile
{
public:
    ~TemporaryFile()
    {
        if (fd >= 0)
            ::close(fd);
        if (!name.isEmpty())
            ::unlink(name.constData());
    }
    void release() { name.clear(); }

    int fd = -1;
    QByteArray name;
};

// Opens a new file beside `target` under a name no other file has. The
// kernel gives it mode 0666 less the umask (and a folder's default ACL), as
// any new file of this user gets.
int openBeside(const QByteArray& target, QByteArray& name)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray() : target.left(slash + 1);
    QByteArray base = target.mid(slash + 1);
    // Room for the suffix within the longest name a folder entry may have.
    if (base.size() > 240)
        base = "kuvaro";
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray suffix(7, '.');
        for (qsizetype i = 1; i < suffix.size(); ++i)
            suffix[i] = letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
        name = folder + base + suffix;
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

void writeResultFile(const QString& path, const QByteArray& bytes)
{
    // A link is followed: the file it points to is replaced, the link stays.
    QByteArray target = QFile::encodeName(path);
    if (char* resolved = ::realpath(target.constData(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat existing;
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        cannotCreate(path, EISDIR);
    // A file the user may not write is protected, though its folder would let
    // it be replaced.
    if (exists && ::access(target.constData(), W_OK) != 0)
        cannotCreate(path, errno);

    TemporaryFile temp;
    temp.fd = openBeside(target, temp.name);
    if (temp.fd < 0) {
        const int reason = errno;
        temp.name.clear(); // nothing was created
        cannotCreate(path, reason);
    }
    // The replacement keeps the access rights of the file it replaces, and its
    // group where the user belongs to it (the group first: changing it may
    // clear mode bits).
    if (exists) {
        (void)::fchown(temp.fd, uid_t(-1), existing.st_gid);
        (void)::fchmod(temp.fd, existing.st_mode & 07777);
    }

    // A write may stop part-way (full disk, size limit); the next one brings the reason.
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(temp.fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            cannotCreate(path, errno);
        }
        data += n;
        left -= n;
    }
    // Data that the file system accepts only on its way to the disk fails here
    // (delayed allocation, network and quota file systems), still before the
    // earlier file is touched.
    if (::fsync(temp.fd) != 0)
        cannotCreate(path, errno);
    const int fd = temp.fd;
    temp.fd = -1;
    if (::close(fd) != 0)
        cannotCreate(path, errno);
    if (::rename(temp.name.constData(), target.constData()) != 0)
        cannotCreate(path, errno);
    temp.release();

    // The new name on the disk as well; the file is in place whatever this says.
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash <= 0 ? QByteArray(slash == 0 ? "/" : ".") : target.left(slash);
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
}

} // namespace kuvaro
