#pragma once
// At most one running instance per user: an advisory lock on a file in the
// user's private runtime folder. The kernel drops the lock with the process,
// however it ends, and the descriptor is not inherited by child processes.
//
// The lock only keeps a second instance from running beside the first. When
// it cannot be set up at all (no private folder can be had, the lock file
// cannot be opened or locked), the program starts without it: two instances
// side by side are the smaller harm than a user locked out of the program by
// a read-only or foreign temporary folder.

#include <QString>

namespace kuvaro {

// The folder in which /tmp/kuvaro-runtime-<uid> is made.
inline constexpr const char* RuntimeFallbackParent = "/tmp";

// $XDG_RUNTIME_DIR when it is a private folder of this user; otherwise a
// private folder <fallbackParent>/kuvaro-runtime-<uid> made (or repaired) with
// mode 0700. Throws KuvaroError, with the system's reason in German, when no
// private folder can be had.
QString privateRuntimeDir(const QString& fallbackParent = QString::fromLatin1(RuntimeFallbackParent));

class SingleInstanceGuard
{
public:
    // Tests for and takes the lock "name" in one step. Never fails: when the
    // lock cannot be set up, nothing is held, no other instance is seen, and
    // failure() tells why.
    explicit SingleInstanceGuard(const QString& name,
                                 const QString& fallbackParent = QString::fromLatin1(RuntimeFallbackParent));
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    bool anotherInstanceRuns() const { return m_anotherRuns; }
    // Whether this process holds the lock now.
    bool held() const { return m_fd >= 0; }
    // Why the lock could not be set up, in German; empty when it could.
    const QString& failure() const { return m_failure; }
    // The lock file; empty when no private folder could be had.
    const QString& lockPath() const { return m_path; }

private:
    void lock(const QString& name, const QString& fallbackParent);

    int m_fd = -1;
    bool m_anotherRuns = false;
    QString m_path;
    QString m_failure;
};

} // namespace kuvaro
