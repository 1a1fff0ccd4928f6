#pragma once
// The worked example of the result file, reading a file back, and a limit on
// the file size that makes a write stop part-way.

#include "results/CsvFile.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <csignal>
#include <sys/resource.h>

namespace kuvaro::test {

using CsvPoints = QList<CsvPoint>;

inline const CsvPoints WorkedExample = {{"1", "   0,0", "   5,0"}, {"2", "  10,0", "   7,5"}, {"3", "  20,0", "   6,0"}};

// The worked example byte for byte: BOM, ten lines with CR LF, "ä" as C3 A4.
inline const QByteArray WorkedExampleBytes = QByteArray("\xEF\xBB\xBF"
                                                        ";\r\n"
                                                        "Programm kuvaro1\r\n"
                                                        ";\r\n"
                                                        ";\r\n"
                                                        "Nr.;x-Koord;y-Koord;Einzel-Fl\xC3\xA4"
                                                        "chen;\r\n"
                                                        "1;   0,0;   5,0;;\r\n"
                                                        "2;  10,0;   7,5;=(B7-B6)*(C7+C6)/2;\r\n"
                                                        "3;  20,0;   6,0;=(B8-B7)*(C8+C7)/2;\r\n"
                                                        ";\r\n"
                                                        ";Fl\xC3\xA4"
                                                        "chensumme;;=Summe(d6:d8);\r\n");

// The file's bytes, or "(unreadable)".
inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

// While it lives, files of this process cannot grow beyond `bytes`: a write past
// that fails with EFBIG (the signal that would end the process is ignored).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return m_active; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};

} // namespace kuvaro::test
