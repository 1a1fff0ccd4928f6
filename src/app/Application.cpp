#include "app/Application.h"

#include "app/ErrorBox.h"
#include "app/Fonts.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kuvaro {

namespace {
QString& titleStore()
{
    static QString title;
    return title;
}
} // namespace

void setApplicationTitle(const QString& title) { titleStore() = title; }
const QString& applicationTitle() { return titleStore(); }

void initPlatform()
{
    registerFonts();

    // The toolkit's own dialogs and buttons speak German whatever the system locale.
    static QTranslator qtbase;
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (qtbase.load(QStringLiteral("qtbase_de"), dir))
        QCoreApplication::installTranslator(&qtbase);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

} // namespace kuvaro

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    // The handlers catch their own failures (kuvaro::guarded); this is the
    // last resort for one that Qt calls unguarded, so the program goes on.
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        kuvaro::reportFailure(std::current_exception());
    }
    return false;
}
