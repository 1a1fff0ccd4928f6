// "Ergebnis speichern" when the system fails a call on the way: the rename
// that puts the new file in place, a write, the flush to the disk. The calls
// are interposed in this program; each failure must reach the error box,
// leave the earlier file as it was and no temporary file behind, and keep
// PointsUnsaved.

#include "app/Main.h"
#include "common/FormDriver.h"
#include "common/ProgramTexts.h"
#include "common/TestMain.h"
#include "core/SystemError.h"
#include "results/ResultSamples.h"

#include <QDir>
#include <QFile>
#include <QToolButton>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace kuvaro;
using namespace kuvaro::test;

namespace {

enum class Call { None, Rename, Write, Fsync };

// The call to fail, with which errno, for files in which folder; and how often it was failed.
struct Fault
{
    Call call = Call::None;
    int error = 0;
    QByteArray folder;
    int hits = 0;
};
Fault fault;

bool inFolder(const char* path)
{
    return path && !fault.folder.isEmpty() && QByteArray(path).startsWith(fault.folder + '/');
}

bool fdInFolder(int fd)
{
    char link[64];
    char target[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    if (n <= 0)
        return false;
    target[n] = '\0';
    return inFolder(target);
}

bool failNow(Call call, bool ours)
{
    if (fault.call != call || !ours)
        return false;
    ++fault.hits;
    errno = fault.error;
    return true;
}

} // namespace

// The interposed calls. The real ones are made as system calls, so nothing
// here depends on how the C library reaches them.
extern "C" {

int rename(const char* from, const char* to) noexcept
{
    if (failNow(Call::Rename, inFolder(to)))
        return -1;
    return int(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, 0));
}

int renameat(int fromDir, const char* from, int toDir, const char* to) noexcept
{
    if (failNow(Call::Rename, inFolder(to)))
        return -1;
    return int(::syscall(SYS_renameat2, fromDir, from, toDir, to, 0));
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) noexcept
{
    if (failNow(Call::Rename, inFolder(to)))
        return -1;
    return int(::syscall(SYS_renameat2, fromDir, from, toDir, to, flags));
}

ssize_t write(int fd, const void* data, size_t size)
{
    if (fault.call == Call::Write && failNow(Call::Write, fdInFolder(fd)))
        return -1;
    return ::syscall(SYS_write, fd, data, size);
}

int fsync(int fd)
{
    if (failNow(Call::Fsync, fdInFolder(fd)))
        return -1;
    return int(::syscall(SYS_fsync, fd));
}

} // extern "C"

Q_DECLARE_METATYPE(Call)

class TestSaveFaults : public QObject
{
    Q_OBJECT

    std::unique_ptr<FormDriver> d;

    // Hidden entries too: a temporary file must not hide there.
    QStringList entries() const
    {
        return QDir(d->folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }

private Q_SLOTS:
    void init() { FormDriver::start(d); }

    void cleanup()
    {
        fault = Fault();
        FormDriver::finish(d);
    }

    void failingCallKeepsEverything_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("earlier");
        QTest::newRow("rename across file systems") << Call::Rename << EXDEV << true;
        QTest::newRow("rename refused") << Call::Rename << EACCES << true;
        QTest::newRow("rename refused, no earlier file") << Call::Rename << EACCES << false;
        QTest::newRow("write on a full disk") << Call::Write << ENOSPC << true;
        QTest::newRow("write over the quota") << Call::Write << EDQUOT << false;
        QTest::newRow("flush to the disk fails") << Call::Fsync << EIO << true;
    }

    void failingCallKeepsEverything()
    {
        QFETCH(Call, call);
        QFETCH(int, error);
        QFETCH(bool, earlier);
        TMainForm* form = d->form;
        for (const CsvPoint& r : WorkedExample)
            form->AppendPointRow({r.nr, r.x, r.y, QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")});
        form->PointsUnsaved = 1;
        const QString path = d->folder.filePath(QStringLiteral("messung.csv"));
        if (earlier) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write("frueher"), qint64(7));
        }
        const QStringList before = entries();

        fault.call = call;
        fault.error = error;
        fault.folder = QFile::encodeName(d->folder.path());
        d->dialogs.then(DialogScript::typeFileName(path)).then(DialogScript::okMessageBox());
        QTest::mouseClick(form->ErgSpeichernSBtn, Qt::LeftButton);
        const int hits = fault.hits;
        fault = Fault();

        QVERIFY2(hits > 0, "the interposed call was never made");
        QCOMPARE(d->dialogs.takeSeen(),
                 (QStringList{SaveDialog, QStringLiteral("error: Datei \"%1\" kann nicht erstellt werden. %2.")
                                              .arg(path, germanReason(error))}));
        QCOMPARE(form->PointsUnsaved, 1);
        QCOMPARE(entries(), before);
        if (earlier)
            QCOMPARE(readAll(path), QByteArray("frueher"));

        // Without the fault the same save goes through.
        d->dialogs.then(DialogScript::typeFileName(path)).then(DialogScript::clickNein());
        QTest::mouseClick(form->ErgSpeichernSBtn, Qt::LeftButton);
        QCOMPARE(d->dialogs.seen,
                 (QStringList{SaveDialog,
                              QStringLiteral("message: Die Grafik-Koordinaten wurden als CSV-Datei messung.csv gespeichert !")}));
        QCOMPARE(readAll(path), WorkedExampleBytes);
        QCOMPARE(form->PointsUnsaved, 0);
        QCOMPARE(entries(), QStringList{QStringLiteral("messung.csv")});
    }
};

KUVARO_TEST_MAIN(TestSaveFaults)
#include "tst_savefaults.moc"
