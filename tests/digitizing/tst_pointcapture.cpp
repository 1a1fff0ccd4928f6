// Capturing points with the left button, taking them back, clearing them and
// the line colour, driven through the main window with real events.

#include "app/Controls.h"
#include "common/FormDriver.h"
#include "common/Pictures.h"
#include "common/ProgramTexts.h"
#include "common/TestMain.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QToolButton>
#include <QTreeView>

#include <memory>

using namespace kuvaro;
using namespace kuvaro::test;

namespace {

const QRgb Black = qRgb(0, 0, 0);
const QRgb Red = qRgb(255, 0, 0);

// View positions of the points used below and their picture pixels at scale 2.
const QPoint P1(400, 190), P2(520, 120), P3(640, 330), P4(760, 260), P5(280, 470);

QStringList row(TMainForm* f, int r)
{
    QStringList cells;
    for (int c = ColNr; c < PointColumnCount; ++c)
        cells << f->PointCell(r, PointColumn(c));
    return cells;
}

} // namespace

class TestPointCapture : public QObject
{
    Q_OBJECT

    std::unique_ptr<FormDriver> d;
    TMainForm* f = nullptr;

    // A calibration whose axis points lie on the axes through the origin, so
    // the redraw of the crosses puts them back where they were.
    static void calibrateOnAxes(FormDriver& drv)
    {
        drv.calibrate("10", "5", {100, 400}, {700, 400}, {100, 50});
    }

    void capture(QPoint p)
    {
        d->move(p.x(), p.y());
        d->left(p.x(), p.y());
    }

private Q_SLOTS:
    void init()
    {
        d = std::make_unique<FormDriver>();
        f = d->form;
        d->load();
        calibrateOnAxes(*d);
        QCOMPARE(f->Xfakt, 60.0);
        QCOMPARE(f->Yfakt, 70.0);
        QCOMPARE(f->PointsUnsaved, 0);
    }

    void cleanup() { FormDriver::finish(d); }

    void firstPointIsADotSecondALine()
    {
        const QImage calibrated = f->Image1->Picture;
        capture(P1);
        QCOMPARE(f->PointCount, 1);
        QCOMPARE(f->PointRowCount(), 1);
        QCOMPARE(row(f, 0), QStringList({"1", "   5,0", "   3,0", "200", "95", "0"}));
        QCOMPARE(changedPixels(calibrated, f->Image1->Picture), QSet<QPoint>{QPoint(200, 95)});
        QCOMPARE(f->Image1->Picture.pixel(200, 95), Black);
        QCOMPARE(f->PointsUnsaved, 1);
        QCOMPARE(f->CursorIx, 200);
        QCOMPARE(f->CursorIy, 95);

        const QImage afterFirst = f->Image1->Picture;
        capture(P2);
        QCOMPARE(row(f, 1), QStringList({"2", "   7,0", "   4,0", "260", "60", "0"}));
        const QSet<QPoint> line = changedPixels(afterFirst, f->Image1->Picture);
        // 60 columns from 200 to 260: the start was painted as the dot, the end is left out.
        QCOMPARE(line.size(), 59);
        for (QPoint p : line) {
            QCOMPARE(f->Image1->Picture.pixel(p), Black);
            QVERIFY(p.x() > 200 && p.x() < 260);
        }
        QCOMPARE(f->Image1->Picture.pixel(260, 60), d->picture.pixel(260, 60));
        QCOMPARE(d->dialogs.messages(), QStringList());
        QCOMPARE(f->Label4->text(), PromptDigitize);
    }

    void rowFormat_data()
    {
        QTest::addColumn<QString>("dx");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("whole values") << "10" << P3 << QStringList({"1", "   9,0", "   1,0", "320", "165", "0"});
        QTest::newRow("two digits") << "10" << P4 << QStringList({"1", "  11,0", "   2,0", "380", "130", "0"});
        QTest::newRow("negative") << "10" << P5 << QStringList({"1", "   3,0", "  -1,0", "140", "235", "0"});
        QTest::newRow("half units") << "10" << QPoint(70, 435)
                                    << QStringList({"1", "  -0,5", "  -0,5", "35", "217", "0"});
        QTest::newRow("rounding to one decimal")
            << "10" << QPoint(101, 399) << QStringList({"1", "   0,0", "   0,0", "50", "199", "0"});
        // Longer values are not cut: 600 units are 100000 with this difference.
        QTest::newRow("long value") << "100000" << QPoint(700, 330)
                                    << QStringList({"1", "100000,0", "   1,0", "350", "165", "0"});
        QTest::newRow("odd view position") << "10" << QPoint(401, 191)
                                           << QStringList({"1", "   5,0", "   3,0", "200", "95", "0"});
    }

    void rowFormat()
    {
        QFETCH(QString, dx);
        QFETCH(QPoint, at);
        QFETCH(QStringList, expected);
        if (dx != "10") {
            f->ResetAllesSBtnClick();
            d->calibrate(dx, "5", {100, 400}, {700, 400}, {100, 50});
        }
        capture(at);
        QCOMPARE(row(f, 0), expected);
    }

    // The press itself decides the values, also when the last move was elsewhere.
    void pressWithoutAMoveBefore()
    {
        d->move(P1.x(), P1.y());
        d->left(640, 400);
        QCOMPARE(row(f, 0), QStringList({"1", "   9,0", "   0,0", "320", "200", "0"}));
        QCOMPARE(f->xyAktLabel->text(), QStringLiteral("   9,0 |    0,0 "));
    }

    void refusedBeforeCalibration_data()
    {
        QTest::addColumn<int>("rightPresses");
        QTest::newRow("no calibration point") << 0;
        QTest::newRow("origin only") << 1;
        QTest::newRow("origin and X axis") << 2;
    }

    void refusedBeforeCalibration()
    {
        QFETCH(int, rightPresses);
        f->ResetAllesSBtnClick();
        const QPoint points[] = {{100, 400}, {700, 400}};
        for (int i = 0; i < rightPresses; ++i)
            d->right(points[i].x(), points[i].y());
        const QImage before = f->Image1->Picture;
        d->move(P1.x(), P1.y());
        d->left(P1.x(), P1.y());
        QCOMPARE(d->dialogs.messages(), QStringList{MsgNotCalibrated});
        QCOMPARE(f->PointRowCount(), 0);
        QCOMPARE(f->PointCount, 0);
        QCOMPARE(f->PointsUnsaved, 0);
        QCOMPARE(f->CalibStep, rightPresses);
        QVERIFY(f->Image1->Picture == before);
    }

    // A left double click captures twice at one pixel; the second paints nothing.
    void twoCapturesOnOnePixel()
    {
        capture(P1);
        capture(P2);
        const QImage before = f->Image1->Picture;
        QTest::mouseDClick(f->Image1, Qt::LeftButton, {}, P2);
        QTest::mouseRelease(f->Image1, Qt::LeftButton, {}, P2);
        QCOMPARE(f->PointRowCount(), 3);
        QVERIFY(f->Image1->Picture == before);
        QStringList second = row(f, 1), third = row(f, 2);
        QCOMPARE(third.takeFirst(), QStringLiteral("3"));
        second.removeFirst();
        QCOMPARE(third, second);
    }

    void newRowIsSelectedAndVisible()
    {
        // Enough rows that the list has to scroll.
        for (int i = 0; i < 40; ++i)
            capture(QPoint(300 + 10 * i, 200 + (i % 7) * 9));
        QCOMPARE(f->PointRowCount(), 40);
        const QModelIndex last = f->ListModel->index(39, ColNr);
        QCOMPARE(f->ListView1->currentIndex().row(), 39);
        QVERIFY(f->ListView1->selectionModel()->isRowSelected(39, QModelIndex()));
        QCOMPARE(f->ListView1->selectionModel()->selectedRows().size(), 1);
        QVERIFY(f->ListView1->verticalScrollBar()->value() > 0);
        QVERIFY(f->ListView1->viewport()->rect().contains(f->ListView1->visualRect(last)));
        QCOMPARE(f->PointCell(39, ColNr), QStringLiteral("40"));
    }

    void backStepWithThreeRows()
    {
        capture(P1);
        capture(P2);
        const QImage twoPoints = f->Image1->Picture;
        capture(P3);
        f->BackStepSBtnClick();
        QCOMPARE(f->PointRowCount(), 2);
        QCOMPARE(f->PointCell(0, ColNr), QStringLiteral("1"));
        QCOMPARE(f->PointCell(1, ColNr), QStringLiteral("2"));
        QCOMPARE(f->PointCount, 3);
        QCOMPARE(f->Label4->text(), PromptDigitize);
        QVERIFY(f->Image1->Picture == twoPoints);
        QCOMPARE(f->PointsUnsaved, 1);

        // The next point is number 4 and joined to row 2, as if 3 had never been.
        capture(P4);
        QCOMPARE(f->PointCell(2, ColNr), QStringLiteral("4"));
        QCOMPARE(row(f, 2).mid(1), QStringList({"  11,0", "   2,0", "380", "130", "0"}));
        FormDriver other;
        other.load();
        calibrateOnAxes(other);
        for (QPoint p : {P1, P2, P4})
            other.left(p.x(), p.y());
        QVERIFY(f->Image1->Picture == other.form->Image1->Picture);
    }

    void backStepWithTwoRows()
    {
        // Only the second point goes; the first stays the start of the line.
        capture(P1);
        const QImage onePoint = f->Image1->Picture;
        capture(P2);
        f->BackStepSBtnClick();
        QCOMPARE(f->PointRowCount(), 1);
        QCOMPARE(row(f, 0), QStringList({"1", "   5,0", "   3,0", "200", "95", "0"}));
        QVERIFY(f->Image1->Picture == onePoint);

        capture(P3);
        QCOMPARE(f->PointRowCount(), 2);
        const QImage joined = f->Image1->Picture;
        f->ResetDigiKoordSBnClick();
        capture(P1);
        capture(P3);
        QVERIFY(f->Image1->Picture == joined);
    }

    void backStepWithOneRow()
    {
        const QImage calibrated = f->Image1->Picture;
        capture(P1);
        f->Label4->setText(QStringLiteral("unverändert"));
        f->BackStepSBtnClick();
        QCOMPARE(f->PointRowCount(), 0);
        QCOMPARE(f->PointCount, 0);
        QCOMPARE(f->Label4->text(), QStringLiteral("unverändert"));
        QVERIFY(f->Image1->Picture == calibrated);

        // A new polyline: a dot, no line from the old point.
        capture(P2);
        QCOMPARE(f->PointCell(0, ColNr), QStringLiteral("1"));
        QCOMPARE(changedPixels(calibrated, f->Image1->Picture), QSet<QPoint>{QPoint(260, 60)});
    }

    void backStepOnAnEmptyList()
    {
        // Axis points pressed off the axes: the restore shows in the crosses
        // moving onto the axes through the origin.
        f->ResetAllesSBtnClick();
        d->calibrate("10", "5", {100, 400}, {700, 380}, {120, 50});
        QCOMPARE(f->Image1->Picture.pixel(349, 190), Maroon);
        f->BackStepSBtnClick();
        QCOMPARE(f->Image1->Picture.pixel(349, 190), d->picture.pixel(349, 190));
        QCOMPARE(f->Image1->Picture.pixel(349, 200), Maroon);
        QCOMPARE(f->Image1->Picture.pixel(59, 25), d->picture.pixel(59, 25));
        QCOMPARE(f->Image1->Picture.pixel(49, 25), Blue);
        QCOMPARE(f->Image1->Picture.pixel(49, 200), Green);
        QCOMPARE(f->PointRowCount(), 0);
        QCOMPARE(f->PointCount, 0);
        QCOMPARE(f->Label4->text(), PromptDigitize);
        QCOMPARE(d->dialogs.messages(), QStringList());
    }

    void resetDigitalKeepsCalibration()
    {
        const QImage calibrated = f->Image1->Picture;
        capture(P1);
        capture(P2);
        capture(P3);
        f->Label4->clear();
        QTest::mouseClick(f->ResetDigiKoordSBn, Qt::LeftButton);
        QCOMPARE(f->PointRowCount(), 0);
        QCOMPARE(f->PointCount, 0);
        QCOMPARE(f->Label4->text(), PromptAfterTakeBack);
        QVERIFY(f->Image1->Picture == calibrated);
        QCOMPARE(f->CalibStep, 3);
        QCOMPARE(f->Xfakt, 60.0);
        QCOMPARE(f->Yfakt, 70.0);
        QCOMPARE(f->XfaktLabel->text(), QStringLiteral("60"));
        QCOMPARE(f->XdiffLabel->text(), QStringLiteral("10"));
        QCOMPARE(f->XoLabel->text(), QStringLiteral("100"));
        QCOMPARE(f->PointsUnsaved, 1);

        capture(P4);
        QCOMPARE(row(f, 0), QStringList({"1", "  11,0", "   2,0", "380", "130", "0"}));
        QCOMPARE(changedPixels(calibrated, f->Image1->Picture), QSet<QPoint>{QPoint(380, 130)});
    }

    void resetDigitalBeforeCalibrationKeepsThePrompt()
    {
        f->ResetAllesSBtnClick();
        d->right(100, 400);
        const QString prompt = f->Label4->text();
        f->ResetDigiKoordSBnClick();
        QCOMPARE(f->Label4->text(), prompt);
        QCOMPARE(f->CalibStep, 1);
        // Without a complete calibration the crosses are not drawn again.
        QVERIFY(f->Image1->Picture == d->picture);
    }

    // A new colour takes effect at the next capture; drawn segments keep theirs,
    // also when the polyline is drawn again from the list.
    void colourChangeBetweenPoints()
    {
        capture(P1);
        capture(P2);
        d->chooseColour(QColor(255, 0, 0));
        QCOMPARE(labelColor(f->LinienFarbeLabel), TColor(0x0000FF));
        QCOMPARE(f->PointRowCount(), 2); // choosing draws nothing
        capture(P3);
        const QImage threePoints = f->Image1->Picture;
        d->chooseColour(QColor(0, 0, 255));
        capture(P4);
        d->chooseColour(QColor()); // cancelled: the colour stays blue
        capture(P5);

        QCOMPARE(f->PointCell(0, ColLineCol), QStringLiteral("0"));
        QCOMPARE(f->PointCell(1, ColLineCol), QStringLiteral("0"));
        QCOMPARE(f->PointCell(2, ColLineCol), QStringLiteral("255"));
        QCOMPARE(f->PointCell(3, ColLineCol), QStringLiteral("16711680"));
        QCOMPARE(f->PointCell(4, ColLineCol), QStringLiteral("16711680"));
        const QImage& img = f->Image1->Picture;
        QCOMPARE(img.pixel(212, 88), Black); // on P1 -> P2
        QCOMPARE(img.pixel(260, 60), Red);   // a segment paints its start: P2 -> P3 is red
        QCOMPARE(img.pixel(290, 113), Red);
        QCOMPARE(img.pixel(320, 165), Blue); // P3 -> P4 and P4 -> P5 are blue
        QCOMPARE(img.pixel(220, 200), Blue);
        QCOMPARE(img.pixel(140, 235), d->picture.pixel(140, 235)); // the last point is not painted

        // Four rows and more: one step back keeps every remaining segment's colour.
        f->BackStepSBtnClick();
        f->BackStepSBtnClick();
        QCOMPARE(f->PointRowCount(), 3);
        QVERIFY(f->Image1->Picture == threePoints);
        QCOMPARE(f->LineColor, TColor(0x0000FF));
        QCOMPARE(f->Image1->Canvas.PenColor, clBlack);
    }

    // Every redraw of a longer polyline with several colours equals what the captures drew.
    void redrawEqualsCaptures()
    {
        const QPoint points[] = {{300, 210}, {340, 250}, {420, 230}, {460, 140}, {380, 100}, {250, 160},
                                 {700, 480}, {705, 300}, {900, 300}, {1000, 560}};
        const QColor colours[] = {QColor(), QColor(255, 0, 0), QColor(), QColor(0, 200, 0), QColor(),
                                  QColor(0, 0, 255), QColor(), QColor(10, 20, 30), QColor(), QColor()};
        QList<QImage> snapshots;
        for (int i = 0; i < 10; ++i) {
            if (colours[i].isValid())
                d->chooseColour(colours[i]);
            capture(points[i]);
            snapshots << f->Image1->Picture;
        }
        for (int n = 10; n >= 3; --n) {
            f->BackStepSBtnClick();
            QCOMPARE(f->PointRowCount(), n - 1);
            QVERIFY2(f->Image1->Picture == snapshots[n - 2], qPrintable(QString::number(n - 1)));
        }
        QVERIFY(d->dialogs.allUsed());
    }

    void colourDialogOnlyForTheLeftButton()
    {
        QTest::mousePress(f->LinienFarbeLabel, Qt::RightButton, {}, QPoint(5, 5));
        QTest::mouseRelease(f->LinienFarbeLabel, Qt::RightButton, {}, QPoint(5, 5));
        QCoreApplication::processEvents();
        QCOMPARE(labelColor(f->LinienFarbeLabel), clBlack);
        QCOMPARE(d->dialogs.unexpected(), QStringList());
    }

    void fullResetMakesTheColourBlack()
    {
        d->chooseColour(QColor(255, 0, 0));
        capture(P1);
        f->ResetAllesSBtnClick();
        QCOMPARE(labelColor(f->LinienFarbeLabel), clBlack);
        QCOMPARE(f->PointRowCount(), 0);
        calibrateOnAxes(*d);
        capture(P1);
        QCOMPARE(f->PointCell(0, ColLineCol), QStringLiteral("0"));
    }
};

KUVARO_TEST_MAIN(TestPointCapture)
#include "tst_pointcapture.moc"
