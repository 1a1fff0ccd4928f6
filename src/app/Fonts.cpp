#include "app/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace kuvaro {

namespace {

struct Families
{
    QString tahoma = QStringLiteral("DejaVu Sans");
    QString msSansSerif = QStringLiteral("DejaVu Sans");
    QString arial = QStringLiteral("DejaVu Sans");
};

Families& families()
{
    static Families f;
    return f;
}

QString addFont(const QString& path)
{
    const int id = QFontDatabase::addApplicationFont(path);
    if (id < 0)
        return {};
    const QStringList names = QFontDatabase::applicationFontFamilies(id);
    return names.isEmpty() ? QString() : names.first();
}

QFont makeFont(const QString& family, int pixelHeight, bool bold)
{
    QFont f(family);
    f.setPixelSize(pixelHeight);
    f.setBold(bold);
    return f;
}

} // namespace

void registerFonts()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const QString wine = QStringLiteral("/usr/share/wine/fonts/");
    const QString tahoma = addFont(wine + QStringLiteral("tahoma.ttf"));
    addFont(wine + QStringLiteral("tahomabd.ttf"));
    const QString ms = addFont(wine + QStringLiteral("ms_sans_serif.ttf"));
    if (!tahoma.isEmpty())
        families().tahoma = tahoma;
    if (!ms.isEmpty())
        families().msSansSerif = ms;
    else if (!tahoma.isEmpty())
        families().msSansSerif = tahoma;
    const QStringList installed = QFontDatabase::families();
    for (const QString& candidate : {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")}) {
        if (installed.contains(candidate)) {
            families().arial = candidate;
            break;
        }
    }
}

QFont tahomaFont(int pixelHeight, bool bold) { return makeFont(families().tahoma, pixelHeight, bold); }
QFont msSansSerifFont(int pixelHeight, bool bold) { return makeFont(families().msSansSerif, pixelHeight, bold); }
QFont arialFont(int pixelHeight) { return makeFont(families().arial, pixelHeight, false); }

} // namespace kuvaro
