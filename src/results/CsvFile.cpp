#include "results/CsvFile.h"

#include "core/Errors.h"

#include <QSaveFile>

namespace kuvaro {

QStringList buildResultLines(const QList<CsvPoint>& points)
{
    QStringList lines;
    lines << QStringLiteral(";") << QStringLiteral("Programm kuvaro1") << QStringLiteral(";") << QStringLiteral(";")
          << QStringLiteral("Nr.;x-Koord;y-Koord;Einzel-Flächen;");
    int row = 6; // spreadsheet row of the first point line
    for (qsizetype i = 0; i < points.size(); ++i, ++row) {
        const QString formula =
            i == 0 ? QStringLiteral(";")
                   : QStringLiteral("=(B%1-B%2)*(C%1+C%2)/2;").arg(row).arg(row - 1).left(40);
        lines << points[i].nr.left(10) + u';' + points[i].x + u';' + points[i].y + u';' + formula;
    }
    lines << QStringLiteral(";");
    lines << QStringLiteral(";Flächensumme;;=Summe(d%1:d%2);").arg(6).arg(row - 1);
    return lines;
}

QByteArray encodeResultFile(const QStringList& lines)
{
    QByteArray bytes("\xEF\xBB\xBF");
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

void writeResultFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    auto fail = [&](const QString& reason) {
        file.cancelWriting();
        throw KuvaroError(QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(path, reason));
    };
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    // A write that stops part-way (full disk, size limit) reports no error of
    // its own; writing the rest fails again and brings the system's reason.
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            fail(file.errorString());
        written += n;
    }
    // Flushing here, not inside commit(), keeps the reason of a late failure.
    if (!file.flush())
        fail(file.errorString());
    if (!file.commit())
        fail(file.errorString());
}

} // namespace kuvaro
