// Draws the sample diagram that ships with Kuvaro: a heating curve with axes,
// tick marks, numeric labels, axis titles and a light grid, saved as a 24-bit
// BMP picture of 800 x 600 pixels.
//
// Build with -DKUVARO_BUILD_TOOLS=ON, then run from the source folder:
//   QT_QPA_PLATFORM=offscreen <build>/bin/make_sample resources/Beispieldiagramm.bmp

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>

namespace {

// The plot area in pixels and the value ranges it shows.
constexpr int Left = 100, Right = 760, Top = 70, Bottom = 500;
constexpr double TMax = 60.0; // seconds
constexpr double YMax = 100.0; // degrees Celsius

double px(double t) { return Left + t / TMax * (Right - Left); }
double py(double v) { return Bottom - v / YMax * (Bottom - Top); }

// Temperature of a probe heated from 20 °C toward 85 °C, with a small overshoot.
double temperature(double t) { return 20.0 + 65.0 * (1.0 - std::exp(-t / 9.0)) + 6.0 * std::sin(t / 4.0) * std::exp(-t / 14.0); }

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("Beispieldiagramm.bmp");

    QImage img(800, 600, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    // Grid.
    p.setPen(QPen(QColor(215, 215, 215), 1));
    for (int t = 10; t <= TMax; t += 10)
        p.drawLine(QPointF(px(t), Top), QPointF(px(t), Bottom));
    for (int v = 20; v <= YMax; v += 20)
        p.drawLine(QPointF(Left, py(v)), QPointF(Right, py(v)));

    // Axes with tick marks: long ones at the labels, short ones between.
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(QPointF(Left, Bottom), QPointF(Right + 10, Bottom));
    p.drawLine(QPointF(Left, Bottom), QPointF(Left, Top - 10));
    p.setPen(QPen(Qt::black, 1));
    for (int t = 0; t <= TMax; t += 5)
        p.drawLine(QPointF(px(t), Bottom), QPointF(px(t), Bottom + (t % 10 ? 4 : 8)));
    for (int v = 0; v <= YMax; v += 10)
        p.drawLine(QPointF(Left - (v % 20 ? 4 : 8), py(v)), QPointF(Left, py(v)));

    QFont labels(QStringLiteral("DejaVu Sans"));
    labels.setPixelSize(15);
    p.setFont(labels);
    for (int t = 0; t <= TMax; t += 10)
        p.drawText(QRectF(px(t) - 30, Bottom + 12, 60, 20), Qt::AlignHCenter | Qt::AlignTop, QString::number(t));
    for (int v = 0; v <= YMax; v += 20)
        p.drawText(QRectF(Left - 70, py(v) - 10, 58, 20), Qt::AlignRight | Qt::AlignVCenter, QString::number(v));

    // Axis titles and heading.
    QFont titles = labels;
    titles.setPixelSize(17);
    p.setFont(titles);
    p.drawText(QRectF(Left, Bottom + 40, Right - Left, 24), Qt::AlignHCenter, QStringLiteral("Zeit t in s"));
    p.save();
    p.translate(30, (Top + Bottom) / 2.0);
    p.rotate(-90);
    p.drawText(QRectF(-150, -12, 300, 24), Qt::AlignHCenter, QStringLiteral("Temperatur T in °C"));
    p.restore();
    QFont heading = labels;
    heading.setPixelSize(20);
    heading.setBold(true);
    p.setFont(heading);
    p.drawText(QRectF(0, 18, 800, 30), Qt::AlignHCenter, QStringLiteral("Aufheizkurve einer Probe"));

    // The curve, smooth and two pixels wide.
    QPainterPath curve;
    curve.moveTo(px(0), py(temperature(0)));
    for (int i = 1; i <= 600; ++i) {
        const double t = TMax * i / 600.0;
        curve.lineTo(px(t), py(temperature(t)));
    }
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(0, 40, 160), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(curve);
    p.end();

    QImageWriter writer(out, "bmp");
    if (!writer.write(img)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(out), qPrintable(writer.errorString()));
        return 1;
    }
    return 0;
}
