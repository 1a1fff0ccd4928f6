#include "dialogs/VersionInfo.h"

#include <QFile>
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
class ElfBytes
{
public:
    ElfBytes(const QByteArray& bytes, bool bigEndian) : m_bytes(bytes), m_big(bigEndian) {}

    bool has(quint64 offset, quint64 length) const
    {
        const auto size = quint64(m_bytes.size());
        return offset <= size && length <= size - offset;
    }

    quint64 read(quint64 offset, int width) const
    {
        quint64 v = 0;
        for (int i = 0; i < width; ++i) {
            const quint64 byte = quint8(m_bytes[qsizetype(offset) + (m_big ? i : width - 1 - i)]);
            v = (v << 8) | byte;
        }
        return v;
    }

private:
    const QByteArray& m_bytes;
    bool m_big;
};

QByteArray readAt(QFile& file, quint64 offset, quint64 length)
{
    if (offset > quint64(file.size()) || length > quint64(file.size()) - offset)
        return {};
    if (!file.seek(qint64(offset)))
        return {};
    QByteArray b = file.read(qint64(length));
    return quint64(b.size()) == length ? b : QByteArray();
}

struct Section
{
    quint64 nameOffset = 0;
    quint64 type = 0;
    quint64 offset = 0;
    quint64 size = 0;
    quint64 link = 0;
};

constexpr quint64 SectionTypeNoBits = 8;
constexpr quint64 ExtendedIndex = 0xFFFF; // SHN_XINDEX

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

std::optional<QByteArray> elfSectionData(const QString& path, const char* sectionName)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;

    const QByteArray ident = readAt(file, 0, 16);
    if (ident.size() != 16 || !ident.startsWith("\x7F" "ELF"))
        return std::nullopt;
    const int elfClass = ident[4]; // 1: 32 bit, 2: 64 bit
    const int elfData = ident[5];  // 1: little-endian, 2: big-endian
    if ((elfClass != 1 && elfClass != 2) || (elfData != 1 && elfData != 2))
        return std::nullopt;
    const bool wide = elfClass == 2;
    const int word = wide ? 8 : 4; // width of addresses, offsets and sizes

    const QByteArray header = readAt(file, 0, wide ? 64 : 52);
    if (header.isEmpty())
        return std::nullopt;
    const ElfBytes h(header, elfData == 2);
    const quint64 shoff = h.read(wide ? 0x28 : 0x20, word);
    const quint64 shentsize = h.read(wide ? 0x3A : 0x2E, 2);
    quint64 shnum = h.read(wide ? 0x3C : 0x30, 2);
    quint64 shstrndx = h.read(wide ? 0x3E : 0x32, 2);
    const quint64 minEntry = wide ? 64 : 40;
    if (shoff == 0 || shentsize < minEntry)
        return std::nullopt;

    auto sectionAt = [&](const QByteArray& table, quint64 index) {
        const ElfBytes t(table, elfData == 2);
        const quint64 base = index * shentsize;
        Section s;
        s.nameOffset = t.read(base + 0, 4);
        s.type = t.read(base + 4, 4);
        s.offset = t.read(base + (wide ? 24 : 16), word);
        s.size = t.read(base + (wide ? 32 : 20), word);
        s.link = t.read(base + (wide ? 40 : 24), 4);
        return s;
    };

    // Many sections: the real count and string-table index live in section 0.
    if (shnum == 0 || shstrndx == ExtendedIndex) {
        const QByteArray first = readAt(file, shoff, shentsize);
        if (first.isEmpty())
            return std::nullopt;
        const Section zero = sectionAt(first, 0);
        if (shnum == 0)
            shnum = zero.size;
        if (shstrndx == ExtendedIndex)
            shstrndx = zero.link;
    }
    if (shnum == 0 || shstrndx >= shnum || shnum > quint64(file.size()) / shentsize)
        return std::nullopt;

    const QByteArray table = readAt(file, shoff, shnum * shentsize);
    if (table.isEmpty())
        return std::nullopt;
    const Section names = sectionAt(table, shstrndx);
    if (names.type == SectionTypeNoBits)
        return std::nullopt;
    const QByteArray nameBytes = readAt(file, names.offset, names.size);
    if (nameBytes.isEmpty())
        return std::nullopt;

    const QByteArray wanted(sectionName);
    for (quint64 i = 1; i < shnum; ++i) {
        const Section s = sectionAt(table, i);
        if (s.nameOffset >= quint64(nameBytes.size()))
            continue;
        const char* name = nameBytes.constData() + s.nameOffset;
        const auto room = size_t(quint64(nameBytes.size()) - s.nameOffset);
        const size_t length = strnlen(name, room);
        if (length == room || QByteArray(name, qsizetype(length)) != wanted)
            continue;
        if (s.type == SectionTypeNoBits || s.size == 0 || s.size > quint64(MaxVersionInfoSize))
            return std::nullopt;
        QByteArray data = readAt(file, s.offset, s.size);
        if (data.isEmpty())
            return std::nullopt;
        return data;
    }
    return std::nullopt;
}

qint64 fileVersionInfoSize(const QString& path)
{
    const auto data = elfSectionData(path, VersionInfoSectionName);
    return data ? data->size() : 0;
}

std::optional<QByteArray> fileVersionInfo(const QString& path) { return elfSectionData(path, VersionInfoSectionName); }

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

QString readVersionText(const QString& programPath, const QString& current)
{
    if (!QFileInfo::exists(programPath))
        return current;
    if (fileVersionInfoSize(programPath) == 0)
        return current;
    const auto info = fileVersionInfo(programPath);
    if (!info)
        return current;
    return fileVersionText(*info);
}

} // namespace kuvaro
