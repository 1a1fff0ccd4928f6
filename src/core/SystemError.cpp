#include "core/SystemError.h"

#include "core/Errors.h"

#include <cerrno>
#include <cstring>

namespace kuvaro {

QString germanReason(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT: return QStringLiteral("Datei oder Ordner nicht vorhanden");
    case EACCES: return QStringLiteral("Zugriff verweigert");
    case EPERM: return QStringLiteral("Vorgang nicht erlaubt");
    case EROFS: return QStringLiteral("Das Dateisystem ist schreibgeschützt");
    case ENOSPC: return QStringLiteral("Kein Platz mehr auf dem Datenträger");
    case EDQUOT: return QStringLiteral("Das Speicherkontingent ist erschöpft");
    case EEXIST: return QStringLiteral("Datei oder Ordner schon vorhanden");
    case EISDIR: return QStringLiteral("Das ist ein Ordner");
    case ENOTDIR: return QStringLiteral("Ein Teil des Pfades ist kein Ordner");
    case ENAMETOOLONG: return QStringLiteral("Der Name ist zu lang");
    case ELOOP: return QStringLiteral("Zu viele symbolische Verknüpfungen");
    case EIO: return QStringLiteral("Ein- oder Ausgabefehler des Datenträgers");
    case EXDEV: return QStringLiteral("Verschieben in ein anderes Dateisystem nicht möglich");
    case EMFILE: return QStringLiteral("Zu viele offene Dateien");
    case ENFILE: return QStringLiteral("Zu viele offene Dateien im System");
    case ENOMEM: return outOfMemoryText();
    case EBUSY: return QStringLiteral("Gerät oder Datei ist belegt");
    case ETXTBSY: return QStringLiteral("Die Datei wird gerade ausgeführt");
    case EFBIG: return QStringLiteral("Die Datei ist zu groß");
    case EINVAL: return QStringLiteral("Ungültiges Argument");
    case EAGAIN: return QStringLiteral("Vorübergehend nicht verfügbar, bitte erneut versuchen");
    case EINTR: return QStringLiteral("Vorgang unterbrochen");
    case ENOTEMPTY: return QStringLiteral("Der Ordner ist nicht leer");
    case EMLINK: return QStringLiteral("Zu viele Verknüpfungen");
    case ENOLCK: return QStringLiteral("Keine Sperre verfügbar");
    case EOPNOTSUPP: return QStringLiteral("Vorgang wird nicht unterstützt");
    case ENOSYS: return QStringLiteral("Funktion nicht vorhanden");
    case ENODEV: return QStringLiteral("Gerät nicht vorhanden");
    case ENXIO: return QStringLiteral("Gerät oder Adresse nicht vorhanden");
    case EBADF: return QStringLiteral("Ungültige Dateinummer");
    case ESTALE: return QStringLiteral("Die Datei auf dem Netzlaufwerk ist nicht mehr gültig");
    case ETIMEDOUT: return QStringLiteral("Zeitüberschreitung");
    case ENOTCONN: return QStringLiteral("Keine Verbindung");
    case 0: return QStringLiteral("Unbekannter Fehler");
    default: break;
    }
    // The C library's text in the user's locale, as the last resort.
    return QString::fromLocal8Bit(std::strerror(errnoValue));
}

} // namespace kuvaro
