// The version information that the build puts into the program file, and how
// the information dialog reads the FileVersion back from it.

#include "common/TestMain.h"
#include "dialogs/VersionInfo.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

using namespace kuvaro;

namespace {

const QString GermanFileVersion = QStringLiteral("\\StringFileInfo\\040704E4\\FileVersion");

VersionEntry germanTranslation()
{
    return {QString::fromLatin1(TranslationPath), translationValue(0x0407, 0x04E4)};
}

VersionEntry fileVersion(const QByteArray& value, const QString& path = GermanFileVersion)
{
    return {path, value};
}

// A minimal ELF file: header, the section contents, the section-name table and
// the section header table, in the given class and byte order.
struct ElfSection
{
    QByteArray name;
    QByteArray data;
    quint32 type = 1; // PROGBITS
};

class ElfWriter
{
public:
    ElfWriter(bool wide, bool bigEndian) : m_wide(wide), m_big(bigEndian) {}

    QByteArray build(const QList<ElfSection>& sections) const
    {
        const int headerSize = m_wide ? 64 : 52;
        const int entrySize = m_wide ? 64 : 40;
        QByteArray file(headerSize, '\0');

        QByteArray names(1, '\0');
        QList<quint64> nameOffsets, dataOffsets;
        for (const ElfSection& s : sections) {
            nameOffsets << quint64(names.size());
            names += s.name + '\0';
            dataOffsets << quint64(file.size());
            file += s.data;
        }
        const quint64 namesNameOffset = quint64(names.size());
        names += QByteArray(".shstrtab") + '\0';
        const quint64 namesOffset = quint64(file.size());
        file += names;
        while (file.size() % 8)
            file += '\0';

        const quint64 tableOffset = quint64(file.size());
        const int count = int(sections.size()) + 2;
        QByteArray table(count * entrySize, '\0');
        auto entry = [&](int index, quint64 name, quint32 type, quint64 offset, quint64 size) {
            const int base = index * entrySize;
            put(table, base + 0, name, 4);
            put(table, base + 4, type, 4);
            put(table, base + (m_wide ? 24 : 16), offset, m_wide ? 8 : 4);
            put(table, base + (m_wide ? 32 : 20), size, m_wide ? 8 : 4);
        };
        for (int i = 0; i < sections.size(); ++i)
            entry(i + 1, nameOffsets[i], sections[i].type, dataOffsets[i], quint64(sections[i].data.size()));
        entry(count - 1, namesNameOffset, 3 /* STRTAB */, namesOffset, quint64(names.size()));
        file += table;

        file[0] = '\x7F';
        file[1] = 'E';
        file[2] = 'L';
        file[3] = 'F';
        file[4] = m_wide ? 2 : 1;
        file[5] = m_big ? 2 : 1;
        file[6] = 1;
        put(file, 16, 2, 2);  // executable
        put(file, 18, 62, 2); // machine
        put(file, 20, 1, 4);  // version
        put(file, m_wide ? 0x28 : 0x20, tableOffset, m_wide ? 8 : 4);
        put(file, m_wide ? 0x34 : 0x28, quint64(headerSize), 2);
        put(file, m_wide ? 0x3A : 0x2E, quint64(entrySize), 2);
        put(file, m_wide ? 0x3C : 0x30, quint64(count), 2);
        put(file, m_wide ? 0x3E : 0x32, quint64(count - 1), 2);
        return file;
    }

private:
    void put(QByteArray& b, int at, quint64 value, int width) const
    {
        for (int i = 0; i < width; ++i) {
            const int shift = 8 * (m_big ? width - 1 - i : i);
            b[at + i] = char((value >> shift) & 0xFF);
        }
    }

    bool m_wide;
    bool m_big;
};

QByteArray elfWithVersionInfo(const QByteArray& info)
{
    return ElfWriter(true, false).build({{".text", QByteArray(32, '\x90')},
                                         {VersionInfoSectionName, info},
                                         {".data", QByteArray("data")}});
}

} // namespace

class TestVersionInfo : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return QString();
        return path;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // ------------------------------------------------ the built program file

    void builtProgramCarriesFileVersion()
    {
        const QString program = QStringLiteral(KUVARO_PROGRAM_FILE);
        QVERIFY2(QFile::exists(program), qPrintable(program));
        QVERIFY(fileVersionInfoSize(program) > 0);
        QCOMPARE(readVersionText(program, QStringLiteral("alt")), QStringLiteral("26.1.0.0"));
    }

    void builtTableMatchesTheRuntimeEncoding()
    {
        // The table the compiler builds for the program file is the one the
        // runtime encoder writes for the same entries.
        const auto info = fileVersionInfo(QStringLiteral(KUVARO_PROGRAM_FILE));
        QVERIFY(info.has_value());
        QCOMPARE(*info, encodeVersionInfo({germanTranslation(), fileVersion("26.1.0.0")}));
        constexpr auto built = makeVersionInfo("32.2.0.0");
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(built.data()), qsizetype(built.size())),
                 encodeVersionInfo({germanTranslation(), fileVersion("32.2.0.0")}));
    }

    // ------------------------------------------------------- table queries

    void fileVersionText_data()
    {
        QTest::addColumn<QByteArray>("info");
        QTest::addColumn<QString>("expected");

        QTest::newRow("32.2.0.0") << encodeVersionInfo({germanTranslation(), fileVersion("32.2.0.0")})
                                  << QStringLiteral("32.2.0.0");
        QTest::newRow("twelve characters cut to ten")
            << encodeVersionInfo({germanTranslation(), fileVersion("12.345.67.89")}) << QStringLiteral("12.345.67.");
        QTest::newRow("exactly ten") << encodeVersionInfo({germanTranslation(), fileVersion("10.20.30.4")})
                                     << QStringLiteral("10.20.30.4");
        QTest::newRow("value with C terminator")
            << encodeVersionInfo({germanTranslation(), fileVersion(QByteArray("1.2.3.4\0", 8))})
            << QStringLiteral("1.2.3.4");
        QTest::newRow("entries in any order")
            << encodeVersionInfo({fileVersion("5.6.7.8"), germanTranslation()}) << QStringLiteral("5.6.7.8");
        QTest::newRow("other translation, hex digits upper case")
            << encodeVersionInfo({{QString::fromLatin1(TranslationPath), translationValue(0x0409, 0x04B0)},
                                  fileVersion("9.9.9.9", QStringLiteral("\\StringFileInfo\\040904B0\\FileVersion"))})
            << QStringLiteral("9.9.9.9");
        QTest::newRow("keys compared without case")
            << encodeVersionInfo({{QStringLiteral("\\varfileinfo\\translation"), translationValue(0x0407, 0x04E4)},
                                  fileVersion("3.1.0.0", QStringLiteral("\\stringfileinfo\\040704e4\\fileversion"))})
            << QStringLiteral("3.1.0.0");
        QTest::newRow("first translation counts")
            << encodeVersionInfo({{QString::fromLatin1(TranslationPath),
                                   translationValue(0x0407, 0x04E4) + translationValue(0x0409, 0x04B0)},
                                  fileVersion("2.0.0.0", QStringLiteral("\\StringFileInfo\\040904B0\\FileVersion")),
                                  fileVersion("1.0.0.0")})
            << QStringLiteral("1.0.0.0");
        QTest::newRow("missing FileVersion")
            << encodeVersionInfo({germanTranslation(), {QStringLiteral("\\StringFileInfo\\040704E4\\ProductName"),
                                                        QByteArray("Kuvaro")}})
            << QStringLiteral("-- n.Vers.");
        QTest::newRow("FileVersion only under another translation")
            << encodeVersionInfo(
                   {germanTranslation(), fileVersion("1.0.0.0", QStringLiteral("\\StringFileInfo\\040904B0\\FileVersion"))})
            << QStringLiteral("-- n.Vers.");
        QTest::newRow("missing translation") << encodeVersionInfo({fileVersion("26.1.0.0")})
                                             << QStringLiteral("-- n.Vers.");
        QTest::newRow("translation entry too short")
            << encodeVersionInfo({{QString::fromLatin1(TranslationPath), QByteArray("\x07\x04", 2)},
                                  fileVersion("26.1.0.0")})
            << QStringLiteral("-- n.Vers.");
        QTest::newRow("empty table") << encodeVersionInfo({}) << QStringLiteral("-- n.Vers.");
        QTest::newRow("wrong magic") << QByteArray("XXXX").append(encodeVersionInfo({germanTranslation(),
                                                                                      fileVersion("1.0.0.0")})
                                                                       .mid(4))
                                     << QStringLiteral("-- n.Vers.");
    }

    void fileVersionText()
    {
        QFETCH(QByteArray, info);
        QFETCH(QString, expected);
        QCOMPARE(kuvaro::fileVersionText(info), expected);
    }

    void truncatedTableFindsNothingBeyondItsEnd()
    {
        const QByteArray info = encodeVersionInfo({germanTranslation(), fileVersion("26.1.0.0")});
        // Cut inside the FileVersion value: the translation is still there, the value is not.
        const QByteArray cut = info.left(info.size() - 3);
        QVERIFY(queryVersionValue(cut, QString::fromLatin1(TranslationPath)).has_value());
        QVERIFY(!queryVersionValue(cut, GermanFileVersion).has_value());
        QCOMPARE(kuvaro::fileVersionText(cut), QStringLiteral("-- n.Vers."));
        QVERIFY(!queryVersionValue(info.left(5), QString::fromLatin1(TranslationPath)).has_value());
    }

    // --------------------------------------------------- reading ELF files

    void readVersionTextFromFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        const QString unchanged = QStringLiteral("alt");

        QTest::newRow("32.2.0.0") << elfWithVersionInfo(
            encodeVersionInfo({germanTranslation(), fileVersion("32.2.0.0")}))
                                  << QStringLiteral("32.2.0.0");
        QTest::newRow("12 characters") << elfWithVersionInfo(
            encodeVersionInfo({germanTranslation(), fileVersion("12.34.56.789")}))
                                       << QStringLiteral("12.34.56.7");
        QTest::newRow("missing FileVersion")
            << elfWithVersionInfo(encodeVersionInfo({germanTranslation()})) << QStringLiteral("-- n.Vers.");
        QTest::newRow("missing translation")
            << elfWithVersionInfo(encodeVersionInfo({fileVersion("1.0.0.0")})) << QStringLiteral("-- n.Vers.");
        QTest::newRow("32-bit big-endian ELF")
            << ElfWriter(false, true)
                   .build({{VersionInfoSectionName, encodeVersionInfo({germanTranslation(), fileVersion("4.5.6.7")})}})
            << QStringLiteral("4.5.6.7");
        QTest::newRow("32-bit little-endian ELF")
            << ElfWriter(false, false)
                   .build({{".text", QByteArray(7, 'x')},
                           {VersionInfoSectionName, encodeVersionInfo({germanTranslation(), fileVersion("4.5.6.8")})}})
            << QStringLiteral("4.5.6.8");
        QTest::newRow("no such section")
            << ElfWriter(true, false).build({{".text", QByteArray(16, '\x90')}, {".kuvaro_other", QByteArray("x")}})
            << unchanged;
        QTest::newRow("section name only a prefix")
            << ElfWriter(true, false)
                   .build({{".kuvaro_verinfo2", encodeVersionInfo({germanTranslation(), fileVersion("1.0.0.0")})}})
            << unchanged;
        QTest::newRow("section without data")
            << ElfWriter(true, false).build({{VersionInfoSectionName, QByteArray(), 1}}) << unchanged;
        QTest::newRow("not an ELF file") << QByteArray("Das ist eine Textdatei.\n") << unchanged;
        QTest::newRow("empty file") << QByteArray() << unchanged;
        QTest::newRow("ELF magic only") << QByteArray("\x7F" "ELF\x02\x01\x01") << unchanged;
        {
            QByteArray cut = elfWithVersionInfo(encodeVersionInfo({germanTranslation(), fileVersion("1.0.0.0")}));
            cut.chop(20); // the section header table runs past the end
            QTest::newRow("section table cut off") << cut << unchanged;
        }
        {
            QByteArray wrongClass =
                elfWithVersionInfo(encodeVersionInfo({germanTranslation(), fileVersion("1.0.0.0")}));
            wrongClass[4] = 7;
            QTest::newRow("unknown ELF class") << wrongClass << unchanged;
        }
        {
            // The version section claims to lie beyond the end of the file.
            QByteArray beyond = ElfWriter(true, false).build({{VersionInfoSectionName, QByteArray("KVI1\0\0", 6)}});
            const quint64 tableOffset = qFromLittleEndian<quint64>(beyond.constData() + 0x28);
            qToLittleEndian<quint64>(quint64(1) << 40, beyond.data() + tableOffset + 64 + 24);
            QTest::newRow("section beyond the file") << beyond << unchanged;
        }
    }

    void readVersionTextFromFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        const QString path = writeFile(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_'), file);
        QVERIFY(!path.isEmpty());
        QCOMPARE(readVersionText(path, QStringLiteral("alt")), expected);
    }

    void sizeIsZeroWithoutVersionInformation()
    {
        const QString none = writeFile(QStringLiteral("none.elf"),
                                       ElfWriter(true, false).build({{".text", QByteArray(16, '\x90')}}));
        QCOMPARE(fileVersionInfoSize(none), qint64(0));
        QVERIFY(!fileVersionInfo(none).has_value());
        const QByteArray info = encodeVersionInfo({germanTranslation(), fileVersion("32.2.0.0")});
        const QString with = writeFile(QStringLiteral("with.elf"), elfWithVersionInfo(info));
        QCOMPARE(fileVersionInfoSize(with), qint64(info.size()));
        QCOMPARE(fileVersionInfo(with).value_or(QByteArray()), info);
    }

    void realFilesWithoutVersionInformationLeaveTheTextUnchanged()
    {
        // This test program is a real ELF file, built without the version section.
        QCOMPARE(readVersionText(QCoreApplication::applicationFilePath(), QStringLiteral("alt")), QStringLiteral("alt"));
        QCOMPARE(readVersionText(m_dir.filePath(QStringLiteral("gibt-es-nicht")), QStringLiteral("alt")),
                 QStringLiteral("alt"));
        QCOMPARE(readVersionText(m_dir.path(), QString()), QString());
    }
};

KUVARO_TEST_MAIN(TestVersionInfo)
#include "tst_versioninfo.moc"
