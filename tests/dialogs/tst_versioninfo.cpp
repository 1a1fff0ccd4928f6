// The version information that the build puts into the program file, and how
// the information dialog reads the FileVersion back from it. This test program
// links the program's own version table.

#include "common/CoreTestMain.h"
#include "dialogs/VersionInfo.h"

#include <QCoreApplication>
#include <QTest>

#include <optional>

using namespace kuvaro;

Q_DECLARE_METATYPE(std::optional<QByteArray>)

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

} // namespace

class TestVersionInfo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // --------------------------------------------- the program's own table

    void programCarriesItsFileVersion()
    {
        const auto info = programVersionInfo();
        QVERIFY(info.has_value());
        QCOMPARE(kuvaro::readVersionText(QCoreApplication::applicationFilePath(), QStringLiteral("alt")),
                 QStringLiteral("26.1.0.0"));
    }

    void builtTableMatchesTheRuntimeEncoding()
    {
        // The table the compiler builds for the program file is the one the
        // runtime encoder writes for the same entries.
        QCOMPARE(programVersionInfo().value_or(QByteArray()),
                 encodeVersionInfo({germanTranslation(), fileVersion("26.1.0.0")}));
        constexpr auto built = makeVersionInfo("32.2.0.0");
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(built.data()), qsizetype(built.size())),
                 encodeVersionInfo({germanTranslation(), fileVersion("32.2.0.0")}));
    }

    void readVersionText_data()
    {
        QTest::addColumn<bool>("programExists");
        QTest::addColumn<std::optional<QByteArray>>("info");
        QTest::addColumn<QString>("expected");
        const auto with = encodeVersionInfo({germanTranslation(), fileVersion("32.2.0.0")});
        QTest::newRow("value") << true << std::optional<QByteArray>(with) << QStringLiteral("32.2.0.0");
        QTest::newRow("no FileVersion") << true << std::optional<QByteArray>(encodeVersionInfo({germanTranslation()}))
                                        << QStringLiteral("-- n.Vers.");
        QTest::newRow("no information") << true << std::optional<QByteArray>() << QStringLiteral("alt");
        QTest::newRow("empty information") << true << std::optional<QByteArray>(QByteArray()) << QStringLiteral("alt");
        QTest::newRow("no program file") << false << std::optional<QByteArray>(with) << QStringLiteral("alt");
    }
    void readVersionText()
    {
        QFETCH(bool, programExists);
        QFETCH(std::optional<QByteArray>, info);
        QFETCH(QString, expected);
        const QString program =
            programExists ? QCoreApplication::applicationFilePath() : QStringLiteral("/gibt-es-nicht/kuvaro");
        QCOMPARE(kuvaro::readVersionText(program, QStringLiteral("alt"), info), expected);
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
};

KUVARO_CORE_TEST_MAIN(TestVersionInfo)
#include "tst_versioninfo.moc"
