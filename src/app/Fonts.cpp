#include "app/Fonts.h"

#include <QFontDatabase>
#include <QSet>
#include <QStringList>

#include <fontconfig/fontconfig.h>

namespace kuvaro {

namespace {

// The system's configuration plus the Wine font folder. MS Sans Serif is an
// outline font holding bitmaps, which Debian's configuration turns away with
// the bitmap fonts; it is let in by name, its .fon siblings stay out.
constexpr char WineFontsConfig[] = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>/usr/share/wine/fonts</dir>
  <selectfont>
    <acceptfont>
      <pattern>
        <patelt name="family"><string>MS Sans Serif</string></patelt>
        <patelt name="fontformat"><string>TrueType</string></patelt>
      </pattern>
    </acceptfont>
  </selectfont>
</fontconfig>
)";

bool& wineFaces()
{
    static bool inUse = false;
    return inUse;
}

// The families of the font database, case-folded, without the foundry that
// QFontDatabase::families() adds to a family several foundries make; filled
// once fontconfig is set up, empty before.
QSet<QString>& installedFamilies()
{
    static QSet<QString> families;
    return families;
}

void readInstalledFamilies()
{
    QSet<QString>& installed = installedFamilies();
    for (QString family : QFontDatabase::families()) {
        if (family.endsWith(u']')) {
            if (const qsizetype foundry = family.lastIndexOf(QStringLiteral(" [")); foundry > 0)
                family.truncate(foundry);
        }
        installed.insert(family.toCaseFolded());
    }
}

// Stand in for Tahoma and MS Sans Serif, the first one installed: faces with
// Helvetica's metrics (fonts-urw-base35, fonts-liberation), about as wide as
// Tahoma, so every caption keeps fitting its control. DejaVu Sans, the usual
// default, is wider and clips them.
const QStringList& fallbackFamilies()
{
    static const QStringList families = {QStringLiteral("Nimbus Sans"), QStringLiteral("Liberation Sans")};
    return families;
}

QFont makeFont(QStringList families, int pixelHeight, bool bold)
{
    families += fallbackFamilies();
    // Only the families that are installed: for a family it lacks, Qt first
    // asks fontconfig for that family's own fallbacks, which sorts every
    // installed face, and only then takes the next family of the list. The
    // face chosen is the same without the missing names. With none of them
    // installed the list stays whole, so Qt falls back as it always has.
    const QSet<QString>& installed = installedFamilies();
    QStringList present;
    for (const QString& family : std::as_const(families)) {
        if (installed.contains(family.toCaseFolded()))
            present.append(family);
    }
    if (!present.isEmpty())
        families = present;
    QFont f(families);
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
    bool wineFolder = false;
    if (qEnvironmentVariableIntValue("KUVARO_WITHOUT_TAHOMA") != 1) {
        // A configuration of our own replaces the current one before Qt reads
        // the font list from it.
        if (FcConfig* config = FcInitLoadConfig()) {
            wineFolder = FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(WineFontsConfig),
                                                        FcTrue) &&
                         FcConfigBuildFonts(config) && FcConfigSetCurrent(config);
            FcConfigDestroy(config);
        }
    }
    readInstalledFamilies();
    wineFaces() = wineFolder && installedFamilies().contains(QStringLiteral("Tahoma").toCaseFolded());
}

bool wineFacesInUse() { return wineFaces(); }

QFont tahomaFont(int pixelHeight, bool bold)
{
    return makeFont({QStringLiteral("Tahoma")}, pixelHeight, bold);
}
QFont msSansSerifFont(int pixelHeight, bool bold)
{
    return makeFont({QStringLiteral("MS Sans Serif"), QStringLiteral("Tahoma")}, pixelHeight, bold);
}
QFont arialFont(int pixelHeight) { return makeFont({QStringLiteral("Arial")}, pixelHeight, false); }

} // namespace kuvaro
