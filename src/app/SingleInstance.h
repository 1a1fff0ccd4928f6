#pragma once
// At most one running instance per user: an advisory lock on a file in the
// user's private runtime folder. The kernel drops the lock with the process,
// however it ends, and the descriptor is not inherited by child processes.

#include <QString>

namespace kuvaro {

// $XDG_RUNTIME_DIR when it is a private folder of this user; otherwise a
// private folder /tmp/kuvaro-runtime-<uid> made (or repaired) with mode 0700.
// Throws KuvaroError when no private folder can be had.
QString privateRuntimeDir();

class SingleInstanceGuard
{
public:
    // Tests for and takes the lock "name" in one step. Throws KuvaroError when
    // the lock file cannot be opened at all.
    explicit SingleInstanceGuard(const QString& name);
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    bool anotherInstanceRuns() const { return m_anotherRuns; }
    const QString& lockPath() const { return m_path; }

private:
    int m_fd = -1;
    bool m_anotherRuns = false;
    QString m_path;
};

} // namespace kuvaro
