// The system's reasons in German, and the C library's own text as the last resort.

#include "common/CoreTestMain.h"
#include "core/SystemError.h"

#include <cerrno>
#include <cstring>

using namespace kuvaro;

class TestSystemError : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void german_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("reason");
        QTest::newRow("ENOENT") << ENOENT << QStringLiteral("Datei oder Ordner nicht vorhanden");
        QTest::newRow("EACCES") << EACCES << QStringLiteral("Zugriff verweigert");
        QTest::newRow("EPERM") << EPERM << QStringLiteral("Vorgang nicht erlaubt");
        QTest::newRow("EROFS") << EROFS << QStringLiteral("Das Dateisystem ist schreibgeschützt");
        QTest::newRow("ENOSPC") << ENOSPC << QStringLiteral("Kein Platz mehr auf dem Datenträger");
        QTest::newRow("EDQUOT") << EDQUOT << QStringLiteral("Das Speicherkontingent ist erschöpft");
        QTest::newRow("EEXIST") << EEXIST << QStringLiteral("Datei oder Ordner schon vorhanden");
        QTest::newRow("EISDIR") << EISDIR << QStringLiteral("Das ist ein Ordner");
        QTest::newRow("ENOTDIR") << ENOTDIR << QStringLiteral("Ein Teil des Pfades ist kein Ordner");
        QTest::newRow("ENAMETOOLONG") << ENAMETOOLONG << QStringLiteral("Der Name ist zu lang");
        QTest::newRow("ELOOP") << ELOOP << QStringLiteral("Zu viele symbolische Verknüpfungen");
        QTest::newRow("EIO") << EIO << QStringLiteral("Ein- oder Ausgabefehler des Datenträgers");
        QTest::newRow("EXDEV") << EXDEV << QStringLiteral("Verschieben in ein anderes Dateisystem nicht möglich");
        QTest::newRow("EMFILE") << EMFILE << QStringLiteral("Zu viele offene Dateien");
        QTest::newRow("ENFILE") << ENFILE << QStringLiteral("Zu viele offene Dateien im System");
        QTest::newRow("ENOMEM, as the program says it") << ENOMEM << QStringLiteral("Zu wenig Arbeitsspeicher");
        QTest::newRow("EBUSY") << EBUSY << QStringLiteral("Gerät oder Datei ist belegt");
        QTest::newRow("ETXTBSY") << ETXTBSY << QStringLiteral("Die Datei wird gerade ausgeführt");
        QTest::newRow("EFBIG") << EFBIG << QStringLiteral("Die Datei ist zu groß");
        QTest::newRow("EINVAL") << EINVAL << QStringLiteral("Ungültiges Argument");
        QTest::newRow("no errno") << 0 << QStringLiteral("Unbekannter Fehler");
        // A value no table knows: the C library's text, in whatever language it speaks.
        QTest::newRow("unknown value") << 4711 << QString::fromLocal8Bit(std::strerror(4711));
    }

    void german()
    {
        QFETCH(int, value);
        QTEST(germanReason(value), "reason");
    }
};

KUVARO_CORE_TEST_MAIN(TestSystemError)
#include "tst_systemerror.moc"
