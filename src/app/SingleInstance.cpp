#include "app/SingleInstance.h"

#include "core/Errors.h"
#include "core/SystemError.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kuvaro {

namespace {

bool isPrivateDir(const QByteArray& path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

} // namespace

QString privateRuntimeDir(const QString& fallbackParent)
{
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && isPrivateDir(xdg))
        return QFile::decodeName(xdg);

    const QByteArray dir = QFile::encodeName(fallbackParent) + "/kuvaro-runtime-" + QByteArray::number(uint(::geteuid()));
    if (::mkdir(dir.constData(), 0700) != 0 && errno != EEXIST)
        throw KuvaroError(QStringLiteral("Ordner %1 kann nicht angelegt werden: %2")
                              .arg(QFile::decodeName(dir), germanReason(errno)));
    struct stat st;
    if (::lstat(dir.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        throw KuvaroError(QStringLiteral("Ordner %1 gehört nicht diesem Benutzer").arg(QFile::decodeName(dir)));
    if ((st.st_mode & 077) != 0 && ::chmod(dir.constData(), 0700) != 0)
        throw KuvaroError(QStringLiteral("Ordner %1 kann nicht geschützt werden: %2")
                              .arg(QFile::decodeName(dir), germanReason(errno)));
    return QFile::decodeName(dir);
}

SingleInstanceGuard::SingleInstanceGuard(const QString& name, const QString& fallbackParent)
{
    try {
        lock(name, fallbackParent);
    } catch (const KuvaroError& e) {
        m_failure = e.message();
    }
}

void SingleInstanceGuard::lock(const QString& name, const QString& fallbackParent)
{
    m_path = privateRuntimeDir(fallbackParent) + u'/' + name + QStringLiteral(".lock");
    const QByteArray path = QFile::encodeName(m_path);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        throw KuvaroError(QStringLiteral("Datei %1 kann nicht geöffnet werden: %2").arg(m_path, germanReason(errno)));
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    const int lockError = errno;
    if (rc == 0) {
        m_fd = fd;
        return;
    }
    ::close(fd);
    if (lockError != EWOULDBLOCK)
        throw KuvaroError(QStringLiteral("Datei %1 kann nicht gesperrt werden: %2").arg(m_path, germanReason(lockError)));
    m_anotherRuns = true;
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace kuvaro
