// The single-instance guard between real processes: held while the holder runs,
// gone when it is killed, never inherited by its children; and a guard that
// cannot be set up keeps nobody out.

#include "app/Application.h"
#include "core/Errors.h"
#include "core/SystemError.h"
#include "app/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstdio>
#include <signal.h>
#include <sys/mount.h>
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

    // The fallback folder's name under `parent`, as the guard makes it.
    static QString fallbackIn(const QString& parent)
    {
        return parent + QStringLiteral("/kuvaro-runtime-%1").arg(::geteuid());
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

    // Each way the lock can fail to be set up: the guard holds nothing, sees no
    // other instance (so the program starts) and says why in German.
    void guardThatCannotBeSetUp_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("withRuntimeDir");
        QTest::newRow("temporary folder read-only") << QStringLiteral("read-only") << false;
        QTest::newRow("temporary folder missing") << QStringLiteral("missing") << false;
        QTest::newRow("fallback folder owned by another user") << QStringLiteral("foreign") << false;
        QTest::newRow("a link in the fallback folder's place") << QStringLiteral("link") << false;
        QTest::newRow("a file in the fallback folder's place") << QStringLiteral("file") << false;
        QTest::newRow("a folder in the lock file's place") << QStringLiteral("lock-folder") << true;
        QTest::newRow("a link in the lock file's place") << QStringLiteral("lock-link") << true;
    }

    void guardThatCannotBeSetUp()
    {
        QFETCH(QString, kind);
        QFETCH(bool, withRuntimeDir);
        QTemporaryDir base;
        QVERIFY(base.isValid());
        // Unmounted before the folder is removed.
        struct Mount
        {
            QByteArray point;
            ~Mount()
            {
                if (!point.isEmpty())
                    ::umount(point.constData());
            }
        } mounted;
        QString parent = base.path();
        const QString folder = fallbackIn(parent);
        const QString lockFile = runtime.path() + QStringLiteral("/Gesperrt.lock");
        QString expected;
        if (kind == QLatin1String("read-only")) {
            int reason = EACCES;
            if (::geteuid() == 0) {
                // Permissions do not bind root: a read-only file system does.
                if (::mount("tmpfs", QFile::encodeName(parent).constData(), "tmpfs", MS_RDONLY, "size=16k") != 0)
                    QSKIP("Mounting a tmpfs is not permitted here.");
                mounted.point = QFile::encodeName(parent);
                reason = EROFS;
            } else {
                QVERIFY(QFile::setPermissions(parent, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
            }
            expected = QStringLiteral("Ordner %1 kann nicht angelegt werden: %2").arg(folder, germanReason(reason));
        } else if (kind == QLatin1String("missing")) {
            parent += QStringLiteral("/fehlt");
            expected = QStringLiteral("Ordner %1 kann nicht angelegt werden: Datei oder Ordner nicht vorhanden")
                           .arg(fallbackIn(parent));
        } else if (kind == QLatin1String("foreign")) {
            if (::geteuid() != 0)
                QSKIP("Giving a folder to another user needs root.");
            QVERIFY(QDir().mkdir(folder));
            QCOMPARE(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
            expected = QStringLiteral("Ordner %1 gehört nicht diesem Benutzer").arg(folder);
        } else if (kind == QLatin1String("link")) {
            QVERIFY(QDir().mkdir(parent + QStringLiteral("/anderswo")));
            QVERIFY(QFile::link(parent + QStringLiteral("/anderswo"), folder));
            expected = QStringLiteral("Ordner %1 gehört nicht diesem Benutzer").arg(folder);
        } else if (kind == QLatin1String("file")) {
            QFile file(folder);
            QVERIFY(file.open(QIODevice::WriteOnly));
            expected = QStringLiteral("Ordner %1 gehört nicht diesem Benutzer").arg(folder);
        } else if (kind == QLatin1String("lock-folder")) {
            QVERIFY(QDir().mkdir(lockFile));
            expected = QStringLiteral("Datei %1 kann nicht geöffnet werden: Das ist ein Ordner").arg(lockFile);
        } else {
            QVERIFY(QFile::link(base.path(), lockFile));
            expected = QStringLiteral("Datei %1 kann nicht geöffnet werden: Zu viele symbolische Verknüpfungen")
                           .arg(lockFile);
        }

        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        if (!withRuntimeDir)
            qunsetenv("XDG_RUNTIME_DIR");
        bool firstHeld = true, secondSees = true;
        QString failure;
        {
            SingleInstanceGuard first(QStringLiteral("Gesperrt"), parent);
            SingleInstanceGuard second(QStringLiteral("Gesperrt"), parent);
            firstHeld = first.held();
            secondSees = first.anotherInstanceRuns() || second.anotherInstanceRuns();
            failure = first.failure();
        }
        qputenv("XDG_RUNTIME_DIR", saved);
        QFile::remove(lockFile);
        QDir(lockFile).removeRecursively();

        QCOMPARE(failure, expected);
        QVERIFY(!firstHeld);
        // Neither start is refused: two instances are the smaller harm.
        QVERIFY(!secondSees);
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
