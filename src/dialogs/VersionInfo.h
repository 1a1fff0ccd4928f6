#pragma once
// The program's version information: a small key/value table laid out after
// the version resource of a Windows program, with a translation entry
// "\VarFileInfo\Translation" (language and code page, two little-endian 16-bit
// values) and string values under "\StringFileInfo\<language><code page>\<name>".
// The executable carries it in a section of its own (".kuvaro_verinfo", so that
// it can be found in the file without running the program) and names it by the
// symbol kuvaro_version_table; a program built without it (the test programs,
// for one) has no version information.
//
// Table layout, all numbers little-endian:
//   "KVI1"                       magic
//   u16 count                    number of entries
//   count times:
//     u16 key length, u16 value length, key bytes (UTF-8), value bytes
// String values are UTF-8 without terminator.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>

namespace kuvaro {

inline constexpr char VersionInfoSectionName[] = ".kuvaro_verinfo";
inline constexpr char VersionInfoMagic[] = "KVI1";
inline constexpr char TranslationPath[] = "\\VarFileInfo\\Translation";
inline constexpr char GermanFileVersionPath[] = "\\StringFileInfo\\040704E4\\FileVersion";
inline constexpr unsigned VersionLanguageGerman = 0x0407;
inline constexpr unsigned VersionCodePageWestern = 0x04E4;

// What the build message shows when the table has no translation or no FileVersion.
inline constexpr char NoVersionText[] = "-- n.Vers.";

struct VersionEntry
{
    QString path;
    QByteArray value;
};

// The table holding the given entries in order.
QByteArray encodeVersionInfo(const QList<VersionEntry>& entries);

// The four bytes of a translation entry.
QByteArray translationValue(quint16 language, quint16 codePage);

// The table that the build puts into the executable: the German translation and
// FileVersion. Computed by the compiler, so main.cpp can place it in its section.
constexpr std::size_t versionInfoSize(std::size_t fileVersionLength)
{
    return 4 + 2 + (4 + sizeof(TranslationPath) - 1 + 4) + (4 + sizeof(GermanFileVersionPath) - 1 + fileVersionLength);
}

template<std::size_t L>
consteval std::array<unsigned char, versionInfoSize(L - 1)> makeVersionInfo(const char (&fileVersion)[L])
{
    std::array<unsigned char, versionInfoSize(L - 1)> out{};
    std::size_t at = 0;
    auto put16 = [&](std::size_t v) {
        out[at++] = static_cast<unsigned char>(v & 0xFF);
        out[at++] = static_cast<unsigned char>((v >> 8) & 0xFF);
    };
    auto putText = [&](const char* s, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i)
            out[at++] = static_cast<unsigned char>(s[i]);
    };
    putText(VersionInfoMagic, 4);
    put16(2);
    put16(sizeof(TranslationPath) - 1);
    put16(4);
    putText(TranslationPath, sizeof(TranslationPath) - 1);
    put16(VersionLanguageGerman);
    put16(VersionCodePageWestern);
    put16(sizeof(GermanFileVersionPath) - 1);
    put16(L - 1);
    putText(GermanFileVersionPath, sizeof(GermanFileVersionPath) - 1);
    putText(fileVersion, L - 1);
    return out;
}

// Where the executable's table lies; the symbol is weak, so its address is
// null in a program that does not carry the table.
struct VersionTable
{
    const unsigned char* data;
    std::size_t size;
};
extern "C" {
[[gnu::weak]] extern const VersionTable kuvaro_version_table;
}

// The running program's version information; nothing when it carries none.
std::optional<QByteArray> programVersionInfo();

// The value stored under the path (compared without regard to case); nothing
// when the table lacks it or is malformed.
std::optional<QByteArray> queryVersionValue(const QByteArray& info, QStringView path);

// The first 10 characters of the FileVersion of the table's first translation,
// or "-- n.Vers." when the translation or that value is missing.
QString fileVersionText(const QByteArray& info);

// The version text after reading the program's version information `info`:
// `current` when the program file is missing or carries no information, else
// fileVersionText.
QString readVersionText(const QString& programPath, const QString& current,
                        const std::optional<QByteArray>& info);
// As above, with the running program's own information.
QString readVersionText(const QString& programPath, const QString& current);

} // namespace kuvaro
