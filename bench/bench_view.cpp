// Speed of the picture view on pictures of 1 and 100 million pixels: opening
// and fitting a BMP file next to Qt reading the same file alone, the mouse-move
// handling (read-out, magnifier, repaint request), drawing one polyline
// segment, and taking a point back.
//
// Run: QT_QPA_PLATFORM=offscreen <build>/bin/bench_view [rounds for the large picture, 5 if not given]
// The pictures are written to a temporary folder first (about 300 MB).

#include "app/Application.h"
#include "app/Main.h"
#include "app/Startup.h"
#include "view/BmpReader.h"
#include "view/PictureView.h"
#include "view/TImage.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

using namespace kuvaro;

namespace {

struct Stats
{
    double median = 0, p95 = 0, max = 0;
};

Stats stats(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    Stats s;
    s.median = ms[ms.size() / 2];
    s.p95 = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
    s.max = ms.back();
    return s;
}

double timeMs(const std::function<void()>& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

// A diagram-like picture: white paper, a grid, and a curve two pixels wide.
void writeDiagram(const QString& path, QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(QPen(QColor(200, 200, 200), 1));
    for (int x = 0; x < size.width(); x += std::max(1, size.width() / 20))
        p.drawLine(x, 0, x, size.height() - 1);
    for (int y = 0; y < size.height(); y += std::max(1, size.height() / 10))
        p.drawLine(0, y, size.width() - 1, y);
    p.setPen(QPen(Qt::black, 2));
    QPointF last;
    for (int i = 0; i <= 2000; ++i) {
        const double t = i / 2000.0;
        const QPointF pt(t * (size.width() - 1), size.height() * (0.5 - 0.4 * std::sin(6.28318 * t) * std::exp(-t)));
        if (i > 0)
            p.drawLine(last, pt);
        last = pt;
    }
    p.end();
    QImageWriter w(path, "bmp");
    if (!w.write(img))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

void benchPicture(TMainForm& form, const QString& path, QSize size, int rounds)
{
    std::printf("\n%d x %d pixels (%.1f million), file %.1f MB\n", size.width(), size.height(),
                size.width() * double(size.height()) / 1e6, QFileInfo(path).size() / 1e6);

    // Open and fit, next to Qt alone reading the same file, alternating.
    std::vector<double> qtAlone, ours;
    for (int r = 0; r < rounds; ++r) {
        qtAlone.push_back(timeMs([&] {
            QImageReader reader(path, "bmp");
            QImage img = reader.read();
            if (img.isNull())
                std::fprintf(stderr, "Qt alone could not read the picture\n");
        }));
        ours.push_back(timeMs([&] {
            const QImage picture = readBmpFile(path);
            form.SetPicture(picture, path);
        }));
    }
    const Stats q = stats(qtAlone), o = stats(ours);
    std::printf("  open and fit (readBmpFile + SetPicture): median %8.1f ms   Qt alone: median %8.1f ms   "
                "ratio %.2f (target <= 1.5)\n",
                o.median, q.median, o.median / q.median);
    std::printf("    display scale %.5f, view %d x %d\n", form.DisplayScale, form.Image1->width(),
                form.Image1->height());

    // The first drawing after opening: it makes the working bitmap its own
    // memory (a copy of a small picture, the touched pages of a large one).
    const double firstDraw = timeMs([&] { form.DrawCalibrationCross(form.Image1->width() / 2, form.Image1->height() / 2); });
    std::printf("  first drawing after opening (a cross):  %8.3f ms\n", firstDraw);

    // A finished calibration, so the mouse move also computes diagram values.
    const int vw = form.Image1->width(), vh = form.Image1->height();
    form.CalibStep = 3;
    form.Xo = 10;
    form.Yo = vh - 10;
    form.X1 = vw - 10;
    form.Y1 = 10;
    form.Xfakt = (form.X1 - form.Xo) / 100.0;
    form.Yfakt = (form.Yo - form.Y1) / 50.0;
    form.FactorsValid = true;

    std::vector<double> moves, movesPainted;
    for (int i = 0; i < 2000; ++i) {
        const int x = (i * 7) % vw, y = (i * 3) % vh;
        moves.push_back(timeMs([&] { form.Image1MouseMove(Qt::NoButton, x, y); }));
    }
    for (int i = 0; i < 300; ++i) {
        const int x = (i * 11) % vw, y = (i * 5) % vh;
        movesPainted.push_back(timeMs([&] {
            form.Image1MouseMove(Qt::NoButton, x, y);
            QCoreApplication::processEvents();
        }));
    }
    const Stats m = stats(moves), mp = stats(movesPainted);
    std::printf("  mouse move (Image1MouseMove):          median %8.3f ms   p95 %8.3f ms   (target median < 0.2)\n",
                m.median, m.p95);
    std::printf("    with the repaint carried out:         median %8.3f ms   p95 %8.3f ms\n", mp.median, mp.p95);

    // A polyline of 200 points across the picture, as a user captures a curve;
    // the rows go into the point list as a capture puts them there.
    form.ClearPointList();
    form.PointCount = 0;
    form.XoLabel->setText(QString::number(form.Xo));
    form.YoLabel->setText(QString::number(form.Yo));
    form.X1Label->setText(QString::number(form.X1));
    form.Y1Label->setText(QString::number(form.Y1));
    std::vector<double> segments;
    const int points = 200;
    for (int i = 0; i < points; ++i) {
        const double t = i / double(points - 1);
        const int x = form.ViewToPixel(int(10 + t * (vw - 20)));
        const int y = form.ViewToPixel(int(vh * (0.5 - 0.4 * std::sin(6.28318 * t) * std::exp(-t))));
        const double ms = timeMs([&] { form.DrawPolylinePoint(x, y, 0x0000FF, i == 0); });
        if (i > 0)
            segments.push_back(ms);
        ++form.PointCount;
        form.AppendPointRow({QString::number(form.PointCount), QStringLiteral("   0,0"), QStringLiteral("   0,0"),
                             QString::number(x), QString::number(y), QString::number(0x0000FF)});
    }
    const Stats s = stats(segments);
    std::printf("  one segment (DrawPolylinePoint):        median %8.3f ms   p95 %8.3f ms   (target median < 0.5)\n",
                s.median, s.p95);

    // "1 Digital.Koord. zurück": restore, crosses and the remaining 199 segments
    // drawn again, and the display copy brought up to date, as the repaint
    // that follows does it.
    std::vector<double> backSteps;
    for (int i = 0; i < 5; ++i)
        backSteps.push_back(timeMs([&] {
            form.BackStepSBtnClick();
            form.Image1->flushDisplay();
        }));
    const Stats b = stats(backSteps);
    std::printf("  1 Digital.Koord. zurueck (~200 points):  median %8.3f ms   max %8.3f ms\n", b.median, b.max);

    // "Reset all": everything drawn goes.
    const double reset = timeMs([&] {
        form.ResetAllesSBtnClick();
        form.Image1->flushDisplay();
    });
    const bool equal = form.Image1->Picture == form.Image2->Picture;
    std::printf("  Reset all:                               %8.3f ms   (working bitmap equals pristine: %s)\n", reset,
                equal ? "yes" : "NO");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    initPlatform();
    // Qt alone refuses pictures above 128 MB of pixels unless told otherwise.
    QImageReader::setAllocationLimit(1024);
    // Opening a small picture takes milliseconds, so it is repeated more often.
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const int smallRounds = rounds * 8;

    QTemporaryDir dir;
    const QString small = dir.filePath(QStringLiteral("small.bmp"));
    const QString large = dir.filePath(QStringLiteral("large.bmp"));
    writeDiagram(small, QSize(1000, 1000));
    writeDiagram(large, QSize(40000, 2500));

    Forms forms = createForms();
    TMainForm& form = *forms.mainForm;
    form.show();
    // The frame as on a 1920 x 1080 screen; the offscreen screen is smaller.
    form.Panel1->resize(1490, 807);
    QCoreApplication::processEvents();

    std::printf("bench_view: %d (small) and %d (large) rounds of opening, 2000 mouse moves, 200 segments per picture\n",
                smallRounds, rounds);
    benchPicture(form, small, QSize(1000, 1000), smallRounds);
    benchPicture(form, large, QSize(40000, 2500), rounds);
    return 0;
}
