#pragma once
// Pictures made for the tests and the comparisons of their pixels.

#include <QFile>
#include <QImage>
#include <QPoint>
#include <QSet>
#include <QString>

#include <functional>

namespace kuvaro::test {

// A picture from a function of x and y.
// Writes the bytes to the file, ending the test program when it cannot.
inline QString writeTestFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

inline QImage pictureOf(int width, int height, const std::function<QRgb(int x, int y)>& colour)
{
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.setPixel(x, y, colour(x, y));
    return img;
}

// A diagram-like picture with a gentle pattern: no pixel has a colour that the program draws with.
inline QImage patternPicture(QSize size)
{
    return pictureOf(size.width(), size.height(),
                     [](int x, int y) { return qRgb(150 + x % 80, 150 + y % 80, 190 + (x + y) % 50); });
}

// The pixels from (left, top) to (right, bottom), both corners included.
inline QSet<QPoint> pixelRect(int left, int top, int right, int bottom)
{
    QSet<QPoint> out;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            out.insert(QPoint(x, y));
    return out;
}

// The pixels in which two pictures of one size differ.
inline QSet<QPoint> changedPixels(const QImage& a, const QImage& b)
{
    QSet<QPoint> out;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                out.insert(QPoint(x, y));
    return out;
}

// Where two pictures differ first, for the failure message; empty when they
// agree in the bits of `significant`.
inline QString firstDifference(const QImage& got, const QImage& expected, QRgb significant = 0xFFFFFFFFu)
{
    if (got.size() != expected.size())
        return QStringLiteral("size %1 x %2, expected %3 x %4")
            .arg(got.width())
            .arg(got.height())
            .arg(expected.width())
            .arg(expected.height());
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x)
            if ((got.pixel(x, y) & significant) != (expected.pixel(x, y) & significant))
                return QStringLiteral("pixel %1,%2 is %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(got.pixel(x, y), 8, 16, QLatin1Char('0'))
                    .arg(expected.pixel(x, y), 8, 16, QLatin1Char('0'));
    return QString();
}

} // namespace kuvaro::test
