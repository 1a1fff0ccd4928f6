// The CSV result file: its lines, its bytes, and writing it so that a failure
// never leaves a truncated file nor destroys the earlier one.

#include "core/Errors.h"
#include "core/SystemError.h"
#include "common/CoreTestMain.h"
#include "results/CsvFile.h"
#include "results/ResultSamples.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace kuvaro;
using namespace kuvaro::test;

Q_DECLARE_METATYPE(CsvPoints)

namespace {

// The lines before the points.
const QStringList Head = {";", "Programm kuvaro1", ";", ";", "Nr.;x-Koord;y-Koord;Einzel-Flächen;"};

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The failure text of writeResultFile, or "(none)" when it succeeds.
QString writeFailure(const QString& path, const QByteArray& bytes)
{
    try {
        writeResultFile(path, bytes);
    } catch (const KuvaroError& e) {
        return e.message();
    }
    return QStringLiteral("(none)");
}

// A payload larger than any small file system or file-size limit used below.
QByteArray largePayload()
{
    CsvPoints points;
    for (int i = 0; i < 3000; ++i)
        points.append({QString::number(i + 1), QStringLiteral("%1,0").arg(i, 6), QStringLiteral("%1,5").arg(i % 97, 6)});
    return encodeResultFile(buildResultLines(points));
}

} // namespace

class TestCsvFile : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_mounted;

    QString path(const QString& name) const { return m_dir->filePath(name); }

    // Names of the entries in the folder, so a test can see that no temporary file stayed behind.
    static QStringList entries(const QString& folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void cleanup()
    {
        if (!m_mounted.isEmpty()) {
            QProcess::execute(QStringLiteral("umount"), {m_mounted});
            m_mounted.clear();
        }
        m_dir.reset();
    }

    // ---------------------------------------------------------------- lines

    void lines_data()
    {
        QTest::addColumn<CsvPoints>("points");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("one point") << CsvPoints{{"1", "   0,0", "   5,0"}}
                                   << Head + QStringList{"1;   0,0;   5,0;;", ";", ";Flächensumme;;=Summe(d6:d6);"};
        QTest::newRow("two points") << CsvPoints{{"1", "   0,0", "   5,0"}, {"2", "  10,0", "   7,5"}}
                                    << Head + QStringList{"1;   0,0;   5,0;;",
                                                          "2;  10,0;   7,5;=(B7-B6)*(C7+C6)/2;",
                                                          ";",
                                                          ";Flächensumme;;=Summe(d6:d7);"};
        QTest::newRow("three points") << WorkedExample
                                      << Head + QStringList{"1;   0,0;   5,0;;",
                                                            "2;  10,0;   7,5;=(B7-B6)*(C7+C6)/2;",
                                                            "3;  20,0;   6,0;=(B8-B7)*(C8+C7)/2;",
                                                            ";",
                                                            ";Flächensumme;;=Summe(d6:d8);"};
        // Texts go in as they stand: leading blanks kept, no conversion.
        QTest::newRow("texts as they stand") << CsvPoints{{"7", "-0,0", "abc"}}
                                             << Head + QStringList{"7;-0,0;abc;;", ";", ";Flächensumme;;=Summe(d6:d6);"};
    }

    void lines()
    {
        QFETCH(CsvPoints, points);
        QFETCH(QStringList, expected);
        const QStringList lines = buildResultLines(points);
        QCOMPARE(lines.size(), points.size() + 7);
        QCOMPARE(lines, expected);
    }

    void nonFiniteValuesAreRefused_data()
    {
        QTest::addColumn<CsvPoints>("points");
        QTest::addColumn<QString>("refused");
        QTest::newRow("infinite x") << CsvPoints{{"1", "   0,0", "   5,0"}, {"2", "   inf", "   7,5"}}
                                    << QStringLiteral("   inf");
        QTest::newRow("negative infinite y") << CsvPoints{{"1", "   0,0", "  -inf"}} << QStringLiteral("  -inf");
        QTest::newRow("undefined") << CsvPoints{{"1", "  -nan", "   5,0"}} << QStringLiteral("  -nan");
        QTest::newRow("first in list order") << CsvPoints{{"1", "   1,0", "   nan"}, {"2", "   inf", "   1,0"}}
                                             << QStringLiteral("   nan");
        // Huge values that are still numbers go in.
        QTest::newRow("huge but finite") << CsvPoints{{"1", "1,7E308", "-1,7E308"}} << QString();
    }

    void nonFiniteValuesAreRefused()
    {
        QFETCH(CsvPoints, points);
        QFETCH(QString, refused);
        QString failure;
        try {
            buildResultLines(points);
        } catch (const KuvaroError& e) {
            failure = e.message();
        }
        QCOMPARE(failure, refused.isNull()
                              ? QString()
                              : QStringLiteral("Der Wert '%1' ist nicht endlich und kann nicht gespeichert werden")
                                    .arg(refused));
    }

    void rowNumbersGrowWithTheList()
    {
        CsvPoints points;
        for (int i = 1; i <= 120; ++i)
            points.append({QString::number(i), QStringLiteral("%1,0").arg(i, 6), QStringLiteral("   1,0")});
        const QStringList lines = buildResultLines(points);
        QCOMPARE(lines.size(), 127);
        QCOMPARE(lines[5 + 9], QStringLiteral("10;    10,0;   1,0;=(B15-B14)*(C15+C14)/2;"));
        QCOMPARE(lines[5 + 99], QStringLiteral("100;   100,0;   1,0;=(B105-B104)*(C105+C104)/2;"));
        QCOMPARE(lines.last(), QStringLiteral(";Flächensumme;;=Summe(d6:d125);"));
    }

    void longTexts()
    {
        // x with eight digits before the comma and a sign: eleven characters, written whole.
        const CsvPoints points = {{"12345678901", "-12345678,9", "123456789,25"}, {"2", "   1,0", "   2,0"}};
        const QStringList lines = buildResultLines(points);
        QCOMPARE(lines[5], QStringLiteral("1234567890;-12345678,9;123456789,25;;"));
        QCOMPARE(lines[6], QStringLiteral("2;   1,0;   2,0;=(B7-B6)*(C7+C6)/2;"));
    }

    // ---------------------------------------------------------------- bytes

    void workedExampleBytes()
    {
        const QByteArray bytes = encodeResultFile(buildResultLines(WorkedExample));
        QCOMPARE(bytes.size(), 196);
        QVERIFY(bytes.startsWith(QByteArray("\xEF\xBB\xBF\x3B\x0D\x0A")));
        QCOMPARE(bytes, WorkedExampleBytes);
    }

    void encoding()
    {
        const QByteArray bytes = encodeResultFile({QStringLiteral("ä"), QString(), QStringLiteral("x")});
        QCOMPARE(bytes, QByteArray("\xEF\xBB\xBF\xC3\xA4\r\n\r\nx\r\n"));
        QCOMPARE(encodeResultFile({}), QByteArray("\xEF\xBB\xBF"));
    }

    // ---------------------------------------------------------------- files

    void writesAndReplaces()
    {
        const QString file = path(QStringLiteral("messung.csv"));
        writeResultFile(file, largePayload());
        QCOMPARE(readAll(file), largePayload());
        // A shorter second file replaces the first completely.
        writeResultFile(file, WorkedExampleBytes);
        QCOMPARE(readAll(file), WorkedExampleBytes);
        QCOMPARE(entries(m_dir->path()), QStringList{QStringLiteral("messung.csv")});
    }

    // A new file gets the rights any new file of the user gets; a replaced
    // one keeps its own; a link is followed and stays a link.
    void accessRights_data()
    {
        QTest::addColumn<int>("earlierMode"); // -1: no earlier file
        QTest::addColumn<int>("umask");
        QTest::addColumn<int>("expected");
        QTest::newRow("new file, umask 022") << -1 << 022 << 0644;
        QTest::newRow("new file, umask 077") << -1 << 077 << 0600;
        QTest::newRow("new file, umask 0") << -1 << 0 << 0666;
        QTest::newRow("earlier file 0640") << 0640 << 022 << 0640;
        QTest::newRow("earlier file 0600") << 0600 << 022 << 0600;
    }

    void accessRights()
    {
        QFETCH(int, earlierMode);
        QFETCH(int, umask);
        const QString file = path(QStringLiteral("messung.csv"));
        const QByteArray name = QFile::encodeName(file);
        if (earlierMode >= 0) {
            QVERIFY(writeBytes(file, "frueher"));
            QCOMPARE(::chmod(name.constData(), mode_t(earlierMode)), 0);
        }
        const mode_t before = ::umask(mode_t(umask));
        const QString failure = writeFailure(file, WorkedExampleBytes);
        ::umask(before);
        QCOMPARE(failure, QStringLiteral("(none)"));
        struct stat st;
        QCOMPARE(::stat(name.constData(), &st), 0);
        QTEST(int(st.st_mode & 07777), "expected");
        QCOMPARE(readAll(file), WorkedExampleBytes);
    }

    void linkIsFollowed()
    {
        const QString file = path(QStringLiteral("ziel.csv"));
        const QString link = path(QStringLiteral("messung.csv"));
        QVERIFY(writeBytes(file, "frueher"));
        QVERIFY(QFile::link(file, link));
        writeResultFile(link, WorkedExampleBytes);
        QCOMPARE(QFileInfo(link).symLinkTarget(), file);
        QCOMPARE(readAll(file), WorkedExampleBytes);
        QCOMPARE(entries(m_dir->path()), (QStringList{QStringLiteral("messung.csv"), QStringLiteral("ziel.csv")}));
    }

    void failuresThatCannotCreate_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("reason");
        QTest::newRow("missing directory") << QStringLiteral("missing") << ENOENT;
        QTest::newRow("directory at the path") << QStringLiteral("directory") << EISDIR;
        QTest::newRow("file as parent directory") << QStringLiteral("file-parent") << ENOTDIR;
        QTest::newRow("read-only earlier file") << QStringLiteral("read-only") << EACCES;
    }

    void failuresThatCannotCreate()
    {
        QFETCH(QString, kind);
        QFETCH(int, reason);
        QString target;
        if (kind == QLatin1String("missing")) {
            target = path(QStringLiteral("fehlt/messung.csv"));
        } else if (kind == QLatin1String("directory")) {
            target = path(QStringLiteral("messung.csv"));
            QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("messung.csv")));
            QVERIFY(writeBytes(path(QStringLiteral("messung.csv/inhalt.txt")), "bleibt"));
        } else if (kind == QLatin1String("file-parent")) {
            QVERIFY(writeBytes(path(QStringLiteral("datei")), "bleibt"));
            target = path(QStringLiteral("datei/messung.csv"));
        } else {
            if (geteuid() == 0)
                QSKIP("Access rights do not bind root.");
            target = path(QStringLiteral("messung.csv"));
            QVERIFY(writeBytes(target, "bleibt"));
            QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner));
        }
        const QStringList before = entries(m_dir->path());

        QCOMPARE(writeFailure(target, WorkedExampleBytes),
                 QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(target, germanReason(reason)));

        QCOMPARE(entries(m_dir->path()), before);
        if (kind == QLatin1String("directory"))
            QCOMPARE(readAll(path(QStringLiteral("messung.csv/inhalt.txt"))), QByteArray("bleibt"));
        if (kind == QLatin1String("file-parent"))
            QCOMPARE(readAll(path(QStringLiteral("datei"))), QByteArray("bleibt"));
        if (kind == QLatin1String("read-only"))
            QCOMPARE(readAll(target), QByteArray("bleibt"));
    }

    void failingPartWayAtTheFileSizeLimitKeepsTheEarlierFile()
    {
        const QString file = path(QStringLiteral("messung.csv"));
        QVERIFY(writeBytes(file, WorkedExampleBytes));
        QString failure;
        {
            FileSizeLimit limit(4096);
            QVERIFY(limit.active());
            failure = writeFailure(file, largePayload());
        }
        // The reason is the system's, not an unknown error.
        QCOMPARE(failure, QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(file, germanReason(EFBIG)));
        QCOMPARE(readAll(file), WorkedExampleBytes);
        QCOMPARE(entries(m_dir->path()), QStringList{QStringLiteral("messung.csv")});
    }

    void failingPartWayOnAFullFileSystemKeepsTheEarlierFile()
    {
        if (geteuid() != 0)
            QSKIP("Mounting a small tmpfs needs root.");
        const QString mountPoint = path(QStringLiteral("klein"));
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("klein")));
        QProcess mount;
        mount.start(QStringLiteral("mount"),
                    {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"), QStringLiteral("size=16k"),
                     QStringLiteral("tmpfs"), mountPoint});
        if (!mount.waitForFinished(10000) || mount.exitStatus() != QProcess::NormalExit || mount.exitCode() != 0)
            QSKIP("Mounting a tmpfs is not permitted here (no mount privilege in this container).");
        m_mounted = mountPoint;

        const QString file = mountPoint + QStringLiteral("/messung.csv");
        QVERIFY(writeBytes(file, WorkedExampleBytes));
        const QByteArray payload = largePayload();
        QVERIFY(payload.size() > 16 * 1024);

        const QString failure = writeFailure(file, payload);
        QCOMPARE(failure, QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(file, germanReason(ENOSPC)));
        QCOMPARE(readAll(file), WorkedExampleBytes);
        QCOMPARE(entries(mountPoint), QStringList{QStringLiteral("messung.csv")});

        // A small file that fails only when its buffer is flushed, on a file system filled to the brim.
        {
            QFile filler(mountPoint + QStringLiteral("/fuellung"));
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            const QByteArray block(512, 'f');
            while (filler.write(block) == block.size()) {
            }
        }
        QCOMPARE(writeFailure(file, WorkedExampleBytes + "neu"),
                 QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(file, germanReason(ENOSPC)));
        QCOMPARE(readAll(file), WorkedExampleBytes);
        QCOMPARE(entries(mountPoint), (QStringList{QStringLiteral("fuellung"), QStringLiteral("messung.csv")}));
        QVERIFY(QFile::remove(mountPoint + QStringLiteral("/fuellung")));

        // With room again, the same name is written.
        writeResultFile(file, WorkedExampleBytes + "x");
        QCOMPARE(readAll(file), WorkedExampleBytes + "x");
    }
};

KUVARO_CORE_TEST_MAIN(TestCsvFile)
#include "tst_csvfile.moc"
