// The single-instance guard between real processes: held while the holder runs,
// gone when it is killed, never inherited by its children.

#include "app/Application.h"
#include "core/Errors.h"
#include "app/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kuvaro;

namespace {
const char* const HoldEnv = "KUVARO_TEST_HOLD_GUARD";
const char* const SpawnEnv = "KUVARO_TEST_HOLD_SPAWN";
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

    QTemporaryDir runtime;

    QProcessEnvironment holderEnv(bool spawnChild) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(HoldEnv), QStringLiteral("1"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        if (spawnChild)
            env.insert(QString::fromLatin1(SpawnEnv), QStringLiteral("1"));
        return env;
    }

    // Starts a process that takes the guard and waits; returns once it holds it.
    void startHolder(QProcess& holder, bool spawnChild, qint64* childPid = nullptr)
    {
        holder.setProcessEnvironment(holderEnv(spawnChild));
        holder.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(holder.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(holder.canReadLine() || holder.waitForReadyRead(100), 10000);
        const QByteArray line = holder.readLine().trimmed();
        QVERIFY2(line.startsWith("held"), line.constData());
        if (childPid)
            *childPid = line.mid(5).toLongLong();
    }

    void killHolder(QProcess& holder)
    {
        ::kill(pid_t(holder.processId()), SIGKILL);
        QVERIFY(holder.waitForFinished(10000));
        QCOMPARE(holder.exitStatus(), QProcess::CrashExit);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(runtime.isValid());
        QVERIFY(QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                          QFileDevice::ExeOwner));
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }

    void lockFileIsNamedAfterTheGuard()
    {
        SingleInstanceGuard guard(QStringLiteral("C-Programm"));
        QVERIFY(!guard.anotherInstanceRuns());
        QCOMPARE(guard.lockPath(), runtime.path() + QStringLiteral("/C-Programm.lock"));
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(guard.lockPath()).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0600);
    }

    void secondGuardInSameProcessSeesTheFirst()
    {
        auto first = std::make_unique<SingleInstanceGuard>(QStringLiteral("C-Programm"));
        QVERIFY(!first->anotherInstanceRuns());
        SingleInstanceGuard second(QStringLiteral("C-Programm"));
        QVERIFY(second.anotherInstanceRuns());
        first.reset();
        SingleInstanceGuard third(QStringLiteral("C-Programm"));
        QVERIFY(!third.anotherInstanceRuns());
    }

    void otherNamesDoNotCollide()
    {
        SingleInstanceGuard a(QStringLiteral("C-Programm"));
        SingleInstanceGuard b(QStringLiteral("Anderes-Programm"));
        QVERIFY(!a.anotherInstanceRuns());
        QVERIFY(!b.anotherInstanceRuns());
    }

    void heldByAnotherProcessUntilKilled()
    {
        QProcess holder;
        startHolder(holder, false);
        {
            SingleInstanceGuard guard(QStringLiteral("C-Programm"));
            QVERIFY(guard.anotherInstanceRuns());
        }
        killHolder(holder);
        SingleInstanceGuard after(QStringLiteral("C-Programm"));
        QVERIFY(!after.anotherInstanceRuns());
    }

    void childOfTheHolderDoesNotKeepIt()
    {
        QProcess holder;
        qint64 child = 0;
        startHolder(holder, true, &child);
        QVERIFY(child > 0);
        QCOMPARE(::kill(pid_t(child), 0), 0); // the child runs
        killHolder(holder);
        {
            SingleInstanceGuard after(QStringLiteral("C-Programm"));
            QVERIFY(!after.anotherInstanceRuns());
        }
        QCOMPARE(::kill(pid_t(child), 0), 0); // and still runs
        ::kill(pid_t(child), SIGKILL);
    }

    void fallsBackToPrivateFolderWithoutRuntimeDir()
    {
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_RUNTIME_DIR");
        const QString dir = privateRuntimeDir();
        qputenv("XDG_RUNTIME_DIR", saved);
        QCOMPARE(dir, QStringLiteral("/tmp/kuvaro-runtime-%1").arg(::geteuid()));
        struct stat st;
        QCOMPARE(::lstat(QFile::encodeName(dir).constData(), &st), 0);
        QVERIFY(S_ISDIR(st.st_mode));
        QCOMPARE(int(st.st_mode & 0777), 0700);
    }

    void sharedRuntimeDirIsNotTrusted()
    {
        QTemporaryDir open;
        QVERIFY(QFile::setPermissions(open.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                       QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                       QFileDevice::ExeOther | QFileDevice::WriteOther));
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", open.path().toLocal8Bit());
        const QString dir = privateRuntimeDir();
        qputenv("XDG_RUNTIME_DIR", saved);
        QVERIFY(dir != open.path());
    }
};

// Run as a holder: take the guard, optionally start a child, report, and wait to be killed.
static int holdGuard()
{
    static int noArguments = 0;
    QCoreApplication app(noArguments, nullptr);
    SingleInstanceGuard guard(QStringLiteral("C-Programm"));
    if (guard.anotherInstanceRuns()) {
        std::printf("busy\n");
        return 1;
    }
    qint64 child = 0;
    if (qEnvironmentVariableIsSet(SpawnEnv))
        QProcess::startDetached(QStringLiteral("sleep"), {QStringLiteral("60")}, QString(), &child);
    std::printf("held %lld\n", static_cast<long long>(child));
    std::fflush(stdout);
    for (;;)
        ::pause();
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet(HoldEnv))
        return holdGuard();
    QCoreApplication app(argc, argv);
    TestSingleInstance tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_singleinstance.moc"
