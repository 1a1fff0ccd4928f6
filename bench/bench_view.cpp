// Speed of the picture view on pictures of 1 and 100 million pixels: opening
// and fitting a BMP file next to Qt reading the same file alone, the mouse-move
// handling (read-out, magnifier, repaint request), drawing one polyline
// segment, and taking a point back.
//
// Opening is measured for uncompressed 24-bit, 32-bit and 8-bit palette files,
// each with Qt's reader alone, with readBmpFile using Qt's reader inside, with
// readBmpFile reading the rows itself, and open and fit as a user gets it.
//
// Run: QT_QPA_PLATFORM=offscreen <build>/bin/bench_view [rounds for the large picture, 5 if not given]
// The pictures are written to a temporary folder first (about 800 MB).
//
// Peak memory: bench_view --write <file> writes the large 24-bit picture,
// then /usr/bin/time -v bench_view --memory <file> opens it and draws the
// calibration crosses and a polyline of 200 points.

#include "app/Application.h"
#include "app/Main.h"
#include "app/Startup.h"
#include "view/BmpFastRead.h"
#include "view/BmpReader.h"
#include "view/PictureMemory.h"
#include "view/PictureView.h"
#include "view/TImage.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtEndian>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include <sys/stat.h>

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

void put16(QByteArray& b, quint16 v)
{
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}
void put32(QByteArray& b, quint32 v)
{
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}

// An uncompressed bottom-up BMP of 24 or 32 bits, or of 8 bits with a grey palette.
void writeBmp(const QString& path, const QImage& img, int bits)
{
    const int w = img.width(), h = img.height();
    const qint64 rowBytes = (qint64(w) * bits + 31) / 32 * 4;
    const int paletteBytes = bits == 8 ? 1024 : 0;
    QByteArray head;
    head.append("BM");
    put32(head, quint32(54 + paletteBytes + rowBytes * h));
    put32(head, 0);
    put32(head, quint32(54 + paletteBytes));
    put32(head, 40);
    put32(head, quint32(w));
    put32(head, quint32(h));
    put16(head, 1);
    put16(head, quint16(bits));
    for (int i = 0; i < 6; ++i)
        put32(head, 0);
    for (int i = 0; i < paletteBytes / 4; ++i)
        put32(head, quint32(i * 0x010101));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(head) != head.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    QByteArray row(rowBytes, '\0');
    for (int y = h - 1; y >= 0; --y) {
        const auto* src = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        auto* d = reinterpret_cast<uchar*>(row.data());
        for (int x = 0; x < w; ++x) {
            const QRgb c = src[x];
            if (bits == 8) {
                d[x] = uchar(qGray(c));
            } else {
                uchar* px = d + x * (bits / 8);
                px[0] = uchar(qBlue(c));
                px[1] = uchar(qGreen(c));
                px[2] = uchar(qRed(c));
                if (bits == 32)
                    px[3] = 0;
            }
        }
        f.write(row);
    }
}

// A diagram-like picture: white paper, a grid, and a curve two pixels wide.
void writeDiagram(const QString& path, QSize size, int bits = 24)
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
    writeBmp(path, img, bits);
}

// Opening one file, alternating between Qt's reader alone, readBmpFile with
// Qt's reader inside, readBmpFile reading the rows itself, and open and fit.
void benchOpening(TMainForm& form, const QString& path, int bits, int rounds)
{
    std::vector<double> qtAlone, qtTo32, oursQt, oursFast, open;
    for (int r = 0; r < rounds; ++r) {
        QImage img;
        qtAlone.push_back(timeMs([&] {
            QImageReader reader(path, "bmp");
            img = reader.read();
            if (img.isNull())
                std::fprintf(stderr, "Qt alone could not read the picture\n");
        }));
        // An 8-bit picture comes from Qt with its palette; the program needs 32 bits.
        qtTo32.push_back(qtAlone.back() + timeMs([&] { img = img.convertToFormat(QImage::Format_RGB32); }));
        img = QImage();
        setFastBmpReading(false);
        oursQt.push_back(timeMs([&] { const QImage picture = readBmpFile(path); }));
        setFastBmpReading(true);
        oursFast.push_back(timeMs([&] { const QImage picture = readBmpFile(path); }));
        // As a user opens it, the file dialog aside: reading with the display
        // copy built on the way, the save question (no points here), fit.
        form.PointsUnsaved = 0;
        open.push_back(timeMs([&] { form.OpenPictureFile(path); }));
    }
    const double q = stats(qtAlone).median, q32 = stats(qtTo32).median, rq = stats(oursQt).median,
                 rf = stats(oursFast).median, o = stats(open).median;
    std::printf("  %2d bits: Qt alone %7.1f ms (to 32 bits %7.1f) | readBmpFile via Qt %7.1f ms, own rows %7.1f ms "
                "(%.2f of via Qt) | open and fit %7.1f ms = %.2f x Qt alone (%.2f x to 32 bits)\n",
                bits, q, q32, rq, rf, rf / rq, o, o / q, o / q32);
}

void benchPicture(TMainForm& form, const QString& path, QSize size, int rounds)
{
    std::printf("\n%d x %d pixels (%.1f million), 24-bit file %.1f MB\n", size.width(), size.height(),
                size.width() * double(size.height()) / 1e6, QFileInfo(path).size() / 1e6);
    for (int bits : {8, 32, 24}) {
        QString file = path;
        if (bits != 24) {
            file = path + QString::number(bits) + QStringLiteral(".bmp");
            writeDiagram(file, size, bits);
        }
        benchOpening(form, file, bits, rounds);
        if (bits != 24)
            QFile::remove(file);
    }
    std::printf("    display scale %.5f, view %d x %d\n", form.DisplayScale, form.Image1->width(),
                form.Image1->height());
    // Giving back the memory of the picture the last opening replaced and
    // mapping the new working bitmap ahead go on in the background; the
    // measurements below start once they are done.
    const double background = timeMs([] { waitForPictureMemoryWork(); });
    std::printf("    background memory work still going on after the last opening: %.1f ms\n", background);

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

// Opens the picture, draws the three calibration crosses and a polyline of
// 200 points, and tells the memory in use next to the picture's size. The
// resident size (VmRSS, VmHWM) does not count pages of the picture's memory
// file that no mapping has touched yet: the memory in use is the resident
// anonymous and file-backed memory plus every page the memory files hold.
double statusMb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(std::strlen(field))).trimmed().split(' ').first().toLongLong() * 1024 / 1e6;
    return 0;
}

// The pages held by the process's anonymous memory files, in MB.
double memoryFilesMb()
{
    double mb = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::Files | QDir::System)) {
        if (!fd.symLinkTarget().contains(QStringLiteral("memfd:")))
            continue;
        struct stat st;
        if (::stat(QFile::encodeName(fd.absoluteFilePath()).constData(), &st) == 0)
            mb += double(st.st_blocks) * 512 / 1e6;
    }
    return mb;
}

double inUseMb() { return statusMb("RssAnon:") + statusMb("RssFile:") + memoryFilesMb(); }

int measureMemory(TMainForm& form, const QString& path)
{
    const double before = inUseMb();
    form.OpenPictureFile(path);
    const QImage picture = form.Image2->Picture;
    const double opened = inUseMb();
    const int vw = form.Image1->width(), vh = form.Image1->height();
    form.DrawCalibrationCross(10, vh - 10);
    form.DrawCalibrationCross(vw - 10, vh - 10);
    form.DrawCalibrationCross(10, 10);
    for (int i = 0; i < 200; ++i) {
        const double t = i / 199.0;
        form.DrawPolylinePoint(form.ViewToPixel(int(10 + t * (vw - 20))),
                               form.ViewToPixel(int(vh * (0.5 - 0.4 * std::sin(6.28318 * t) * std::exp(-t)))),
                               0x0000FF, i == 0);
    }
    QCoreApplication::processEvents();
    // The working bitmap's pages are mapped ahead in the background: counted once that is done.
    waitForPictureMemoryWork();
    const double drawn = inUseMb();
    const double pictureMb = picture.width() * double(picture.height()) * 4 / 1e6;
    std::printf("picture %d x %d, 32-bit size %.1f MB; memory in use after drawing %.1f MB = %.2f x the 32-bit size; "
                "before opening %.1f MB, so the picture added %.1f MB = %.2f x\n",
                picture.width(), picture.height(), pictureMb, drawn, drawn / pictureMb, before, drawn - before,
                (drawn - before) / pictureMb);
    std::printf("in use after opening %.1f MB; resident (VmRSS) now %.1f MB, peak (VmHWM) %.1f MB\n", opened,
                statusMb("VmRSS:"), statusMb("VmHWM:"));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    initPlatform();
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == QStringLiteral("--write")) {
        writeDiagram(args[2], QSize(40000, 2500));
        return 0;
    }
    // Qt alone refuses pictures above 128 MB of pixels unless told otherwise.
    QImageReader::setAllocationLimit(1024);
    // Opening a small picture takes milliseconds, so it is repeated more often.
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const int smallRounds = rounds * 8;

    Forms forms = createForms();
    TMainForm& form = *forms.mainForm;
    form.show();
    // The frame as on a 1920 x 1080 screen; the offscreen screen is smaller.
    form.Panel1->resize(1490, 807);
    QCoreApplication::processEvents();
    if (args.size() == 3 && args[1] == QStringLiteral("--memory"))
        return measureMemory(form, args[2]);

    QTemporaryDir dir;
    const QString small = dir.filePath(QStringLiteral("small.bmp"));
    const QString large = dir.filePath(QStringLiteral("large.bmp"));
    writeDiagram(small, QSize(1000, 1000));
    writeDiagram(large, QSize(40000, 2500));

    std::printf("bench_view: %d (small) and %d (large) rounds of opening, 2000 mouse moves, 200 segments per picture\n",
                smallRounds, rounds);
    benchPicture(form, small, QSize(1000, 1000), smallRounds);
    benchPicture(form, large, QSize(40000, 2500), rounds);
    return 0;
}
