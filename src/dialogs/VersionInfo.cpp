#include "dialogs/VersionInfo.h"

#include <QFileInfo>

#include <cstring>

namespace kuvaro {

namespace {

void append16(QByteArray& out, quint16 v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

quint16 le16(const QByteArray& b, qsizetype at)
{
    return quint16(quint8(b[at]) | (quint8(b[at + 1]) << 8));
}

// Reads unsigned integers of an ELF file in the file's byte order.
} // namespace

QByteArray translationValue(quint16 language, quint16 codePage)
{
    QByteArray v;
    append16(v, language);
    append16(v, codePage);
    return v;
}

QByteArray encodeVersionInfo(const QList<VersionEntry>& entries)
{
    QByteArray out(VersionInfoMagic, 4);
    append16(out, quint16(entries.size()));
    for (const VersionEntry& e : entries) {
        const QByteArray key = e.path.toUtf8();
        append16(out, quint16(key.size()));
        append16(out, quint16(e.value.size()));
        out += key;
        out += e.value;
    }
    return out;
}

std::optional<QByteArray> programVersionInfo()
{
    if (&kuvaro_version_table == nullptr || kuvaro_version_table.size == 0)
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char*>(kuvaro_version_table.data), qsizetype(kuvaro_version_table.size));
}

std::optional<QByteArray> queryVersionValue(const QByteArray& info, QStringView path)
{
    if (info.size() < 6 || std::memcmp(info.constData(), VersionInfoMagic, 4) != 0)
        return std::nullopt;
    const int count = le16(info, 4);
    qsizetype at = 6;
    for (int i = 0; i < count; ++i) {
        if (info.size() - at < 4)
            return std::nullopt;
        const qsizetype keyLength = le16(info, at);
        const qsizetype valueLength = le16(info, at + 2);
        at += 4;
        if (info.size() - at < keyLength + valueLength)
            return std::nullopt;
        const QString key = QString::fromUtf8(info.constData() + at, keyLength);
        if (key.compare(path, Qt::CaseInsensitive) == 0)
            return info.mid(at + keyLength, valueLength);
        at += keyLength + valueLength;
    }
    return std::nullopt;
}

QString fileVersionText(const QByteArray& info)
{
    const auto translation = queryVersionValue(info, QString::fromLatin1(TranslationPath));
    if (!translation || translation->size() < 4)
        return QString::fromLatin1(NoVersionText);
    const quint16 language = le16(*translation, 0);
    const quint16 codePage = le16(*translation, 2);
    const QString hex =
        QStringLiteral("%1%2").arg(language, 4, 16, QLatin1Char('0')).arg(codePage, 4, 16, QLatin1Char('0')).toUpper();
    const QString valuePath = QStringLiteral("\\StringFileInfo\\") + hex + QStringLiteral("\\FileVersion");
    const auto value = queryVersionValue(info, valuePath);
    if (!value)
        return QString::fromLatin1(NoVersionText);
    // A value that carries a C terminator ends there.
    QByteArray text = *value;
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0)
        text.truncate(nul);
    return QString::fromUtf8(text).left(10);
}

QString readVersionText(const QString& programPath, const QString& current, const std::optional<QByteArray>& info)
{
    if (!QFileInfo(programPath).isFile() || !info || info->isEmpty())
        return current;
    return fileVersionText(*info);
}

QString readVersionText(const QString& programPath, const QString& current)
{
    return readVersionText(programPath, current, programVersionInfo());
}

} // namespace kuvaro
