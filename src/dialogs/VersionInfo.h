#pragma once
// The program's version information. The build writes a small key/value table
// into a section of its own in the executable file (".kuvaro_verinfo"), laid out
// after the version resource of a Windows program: a translation entry
// "\VarFileInfo\Translation" (language and code page, two little-endian 16-bit
// values) and string values under "\StringFileInfo\<language><code page>\<name>".
// The information dialog reads it back from the running program file.
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
// Tables beyond this are not version information (the Windows resource's own limit).
inline constexpr qint64 MaxVersionInfoSize = 0xFFFF;

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

// The contents of the named section of an ELF file (32 or 64 bit, either byte
// order); nothing when the file is no ELF file, is malformed, or lacks the
// section or its data.
std::optional<QByteArray> elfSectionData(const QString& path, const char* sectionName);

// Size of the version information in the file; 0 when it has none.
qint64 fileVersionInfoSize(const QString& path);

// The version information of the file; nothing when it cannot be read.
std::optional<QByteArray> fileVersionInfo(const QString& path);

// The value stored under the path (compared without regard to case); nothing
// when the table lacks it or is malformed.
std::optional<QByteArray> queryVersionValue(const QByteArray& info, QStringView path);

// The first 10 characters of the FileVersion of the table's first translation,
// or "-- n.Vers." when the translation or that value is missing.
QString fileVersionText(const QByteArray& info);

// The version text after reading the program file: `current` when the file is
// missing or has no readable version information, else fileVersionText.
QString readVersionText(const QString& programPath, const QString& current);

} // namespace kuvaro
