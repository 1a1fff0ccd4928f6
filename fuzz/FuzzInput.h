#pragma once
// Taking a fuzzer's bytes apart: little-endian numbers from the front, texts
// up to the next line feed. Reading past the end gives zeros and empty texts,
// so every input means something.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace kuvaro::fuzz {

class Input
{
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool atEnd() const { return m_at >= m_size; }

    int16_t s16()
    {
        uint16_t v = 0;
        for (int i = 0; i < 2; ++i)
            v = uint16_t(v | (byte() << (8 * i)));
        return int16_t(v);
    }

    uint8_t byte() { return m_at < m_size ? m_data[m_at++] : 0; }

    // UTF-8 up to the next '\n' (not included) or the end.
    QString line()
    {
        const size_t start = m_at;
        while (m_at < m_size && m_data[m_at] != '\n')
            ++m_at;
        const QString text =
            QString::fromUtf8(reinterpret_cast<const char*>(m_data + start), qsizetype(m_at - start));
        if (m_at < m_size)
            ++m_at;
        return text;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

// A broken invariant: say which, and end the run the way a crash would.
[[noreturn]] inline void broken(const char* what, const QString& detail = QString())
{
    std::fprintf(stderr, "invariant broken: %s %s\n", what, detail.toUtf8().constData());
    std::abort();
}

} // namespace kuvaro::fuzz
