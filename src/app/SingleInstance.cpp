#include "app/SingleInstance.h"

#include "core/Errors.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kuvaro {

namespace {

QString systemReason() { return QString::fromLocal8Bit(std::strerror(errno)); }

bool isPrivateDir(const QByteArray& path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

} // namespace

QString privateRuntimeDir()
{
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && isPrivateDir(xdg))
        return QFile::decodeName(xdg);

    const QByteArray dir = "/tmp/kuvaro-runtime-" + QByteArray::number(uint(::geteuid()));
    if (::mkdir(dir.constData(), 0700) != 0 && errno != EEXIST)
        throw KuvaroError(QStringLiteral("Ordner %1 kann nicht angelegt werden: %2")
                              .arg(QFile::decodeName(dir), systemReason()));
    struct stat st;
    if (::lstat(dir.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        throw KuvaroError(QStringLiteral("Ordner %1 gehört nicht diesem Benutzer").arg(QFile::decodeName(dir)));
    if ((st.st_mode & 077) != 0 && ::chmod(dir.constData(), 0700) != 0)
        throw KuvaroError(QStringLiteral("Ordner %1 kann nicht geschützt werden: %2")
                              .arg(QFile::decodeName(dir), systemReason()));
    return QFile::decodeName(dir);
}

SingleInstanceGuard::SingleInstanceGuard(const QString& name)
    : m_path(privateRuntimeDir() + u'/' + name + QStringLiteral(".lock"))
{
    const QByteArray path = QFile::encodeName(m_path);
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0)
        throw KuvaroError(QStringLiteral("Datei %1 kann nicht geöffnet werden: %2").arg(m_path, systemReason()));
    int rc;
    do {
        rc = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        if (errno != EWOULDBLOCK) {
            const QString reason = systemReason();
            ::close(m_fd);
            m_fd = -1;
            throw KuvaroError(QStringLiteral("Datei %1 kann nicht gesperrt werden: %2").arg(m_path, reason));
        }
        m_anotherRuns = true;
        ::close(m_fd);
        m_fd = -1;
    }
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace kuvaro
