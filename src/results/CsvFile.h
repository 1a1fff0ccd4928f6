#pragma once
// The result file: a semicolon-separated text for a spreadsheet with one
// trapezoid formula per segment and a sum formula, UTF-8 with byte order mark
// and CR LF after every line.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace kuvaro {

struct CsvPoint
{
    QString nr;
    QString x;
    QString y;
};

// The n + 7 lines of the file for n >= 1 points. The number is cut to 10
// characters; the x and y texts are written whole so no digit is lost. An x
// or y text that shows an infinite or undefined value (a diagram value beyond
// the range of numbers) fails with notFiniteText(text): the spreadsheet could
// not reckon with it.
QStringList buildResultLines(const QList<CsvPoint>& points);

// "Der Wert '<text>' ist nicht endlich und kann nicht gespeichert werden"
QString notFiniteText(const QString& text);

// The bytes of the file: BOM, then every line followed by CR LF.
QByteArray encodeResultFile(const QStringList& lines);

// Writes the bytes so that a failure never leaves a truncated file nor destroys
// an earlier file of that name: a new file beside the target, written whole
// and flushed to the disk, then renamed over the target in one step. A new
// file gets mode 0666 less the umask, a replaced one keeps its mode; a file
// the user may not write is not replaced; a symbolic link is followed. Throws KuvaroError
// "Datei "<path>" kann nicht erstellt werden. <reason>" on failure, the
// system's reason in German; the folder then holds what it held before.
void writeResultFile(const QString& path, const QByteArray& bytes);

} // namespace kuvaro
