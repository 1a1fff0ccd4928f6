// The axis calibration with the right mouse button, the factors and the live
// read-out in diagram values, driven through the main window with real events.

#include "app/Controls.h"
#include "common/FormDriver.h"
#include "common/ProgramTexts.h"
#include "common/TestMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStandardItemModel>
#include <QToolButton>

#include <memory>

using namespace kuvaro;
using namespace kuvaro::test;

namespace {

QString sep() { return QLocale::system().decimalPoint(); }

} // namespace

class TestCalibration : public QObject
{
    Q_OBJECT

    std::unique_ptr<FormDriver> d;
    TMainForm* f = nullptr;

    // The plus sign around a picture pixel in a colour, its centre left as the picture has it.
    void verifyCross(int cx, int cy, QRgb colour)
    {
        const QImage& img = f->Image1->Picture;
        for (int k = 1; k <= 3; ++k) {
            QCOMPARE(img.pixel(cx - k, cy), colour);
            QCOMPARE(img.pixel(cx + k, cy), colour);
            QCOMPARE(img.pixel(cx, cy - k), colour);
            QCOMPARE(img.pixel(cx, cy + k), colour);
        }
        QCOMPARE(img.pixel(cx, cy), d->picture.pixel(cx, cy));
        QCOMPARE(img.pixel(cx - 4, cy), d->picture.pixel(cx - 4, cy));
        QCOMPARE(img.pixel(cx + 4, cy), d->picture.pixel(cx + 4, cy));
        QCOMPARE(img.pixel(cx, cy - 4), d->picture.pixel(cx, cy - 4));
        QCOMPARE(img.pixel(cx, cy + 4), d->picture.pixel(cx, cy + 4));
        QCOMPARE(img.pixel(cx + 1, cy + 1), d->picture.pixel(cx + 1, cy + 1));
    }

    void verifyNoReadout(int x, int y)
    {
        d->move(x, y);
        QCOMPARE(f->xyLabel->text(), QStringLiteral("%1 | %2").arg(x).arg(y));
        QCOMPARE(f->xyAktLabel->text(), QString());
    }

    // A left press that must be refused with the message and capture nothing.
    void verifyCaptureRefused(const QString& message = MsgNotCalibrated)
    {
        const QImage before = f->Image1->Picture;
        const int messagesBefore = int(d->dialogs.messages().size());
        d->left(300, 300);
        QCOMPARE(d->dialogs.messages().mid(messagesBefore), QStringList{message});
        QCOMPARE(f->PointRowCount(), 0);
        QCOMPARE(f->PointCount, 0);
        QVERIFY(f->Image1->Picture == before);
    }

private Q_SLOTS:
    void init()
    {
        d = std::make_unique<FormDriver>();
        f = d->form;
        d->load();
        QCOMPARE(f->DisplayScale, 2.0);
        QCOMPARE(f->Image1->size(), QSize(1478, 600));
    }

    void cleanup() { FormDriver::finish(d); }

    void factors_data()
    {
        QTest::addColumn<QString>("dx");
        QTest::addColumn<QString>("dy");
        QTest::addColumn<double>("xdiff");
        QTest::addColumn<double>("ydiff");
        QTest::addColumn<double>("xfakt");
        QTest::addColumn<double>("yfakt");
        QTest::addColumn<QString>("xLabel");
        QTest::addColumn<QString>("yLabel");
        QTest::newRow("10 and 5") << "10" << "5" << 10.0 << 5.0 << 60.0 << 70.0 << "60" << "70";
        QTest::newRow("3 and 7") << "3" << "7" << 3.0 << 7.0 << 200.0 << 50.0 << "200" << "50";
        QTest::newRow("7 and 3") << "7" << "3" << 7.0 << 3.0 << 600.0 / 7 << 350.0 / 3 << "85" + sep() + "71"
                                 << "116" + sep() + "67";
        QTest::newRow("point becomes comma") << "2.5" << "12.5" << 2.5 << 12.5 << 240.0 << 28.0 << "240" << "28";
        QTest::newRow("negative") << "-10" << "-5" << -10.0 << -5.0 << -60.0 << -70.0 << "-60" << "-70";
        // One in three hundred: rounding would show 0, so three significant digits.
        QTest::newRow("tiny factor") << "180000" << "5" << 180000.0 << 5.0 << 1.0 / 300 << 70.0
                                     << "0" + sep() + "00333" << "70";
    }

    void factors()
    {
        QFETCH(QString, dx);
        QFETCH(QString, dy);
        QFETCH(double, xdiff);
        QFETCH(double, ydiff);
        QFETCH(double, xfakt);
        QFETCH(double, yfakt);
        d->calibrate(dx, dy);

        QCOMPARE(f->CalibStep, 3);
        QCOMPARE(f->Xo, 100);
        QCOMPARE(f->Yo, 400);
        QCOMPARE(f->X1, 700);
        QCOMPARE(f->Y1, 50);
        QCOMPARE(f->XdiffLabel->text(), QString(dx).replace(u'.', u','));
        QCOMPARE(f->YdiffLabel->text(), QString(dy).replace(u'.', u','));
        QCOMPARE(f->Xdiff, xdiff);
        QCOMPARE(f->Ydiff, ydiff);
        // The exact quotients convert, not the rounded label values.
        QCOMPARE(f->Xfakt, xfakt);
        QCOMPARE(f->Yfakt, yfakt);
        QVERIFY(f->FactorsValid);
        QTEST(f->XfaktLabel->text(), "xLabel");
        QTEST(f->YfaktLabel->text(), "yLabel");
        QCOMPARE(f->Label4->text(), PromptDigitize);
        QCOMPARE(labelColor(f->XdiffLabel), clRestingLabel);
        QCOMPARE(labelColor(f->YdiffLabel), clRestingLabel);
        QCOMPARE(f->Image1->Canvas.PenColor, clBlack);
        QCOMPARE(d->dialogs.messages(), QStringList());
        QCOMPARE(d->dialogs.errors(), QStringList());
        QCOMPARE(d->inputPrompts, QStringList{PromptDifferences});
    }

    void readout_data()
    {
        QTest::addColumn<QString>("dx");
        QTest::addColumn<QString>("dy");
        QTest::addColumn<QPoint>("origin");
        QTest::addColumn<QPoint>("xAxis");
        QTest::addColumn<QPoint>("yAxis");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QString>("xText");
        QTest::addColumn<QString>("yText");
        const QPoint o(100, 400), xa(700, 380), ya(120, 50);
        QTest::newRow("example") << "10" << "5" << o << xa << ya << QPoint(400, 190) << "   5,0" << "   3,0";
        QTest::newRow("at the origin") << "10" << "5" << o << xa << ya << QPoint(100, 400) << "   0,0" << "   0,0";
        QTest::newRow("left of and below the origin")
            << "10" << "5" << o << xa << ya << QPoint(94, 407) << "  -0,1" << "  -0,1";
        QTest::newRow("rounds to -0,0") << "10" << "5" << o << xa << ya << QPoint(98, 401) << "  -0,0" << "  -0,0";
        QTest::newRow("7 and 3") << "7" << "3" << o << xa << ya << QPoint(400, 190) << "   3,5" << "   1,8";
        // One view unit against three diagram units: the label shows 0,33, but the
        // read-out divides by the exact third, so 100 units are 300 and not 303.
        QTest::newRow("exact quotient")
            << "3" << "3" << o << QPoint(101, 380) << QPoint(120, 399) << QPoint(200, 300) << " 300,0" << " 300,0";
        QTest::newRow("tiny factor")
            << "180000" << "5" << o << xa << ya << QPoint(700, 400) << "180000,0" << "   0,0";
        QTest::newRow("large value")
            << "123456" << "5" << o << QPoint(106, 380) << ya << QPoint(101, 400) << "20576,0" << "   0,0";
    }

    void readout()
    {
        QFETCH(QString, dx);
        QFETCH(QString, dy);
        QFETCH(QPoint, origin);
        QFETCH(QPoint, xAxis);
        QFETCH(QPoint, yAxis);
        QFETCH(QPoint, at);
        QFETCH(QString, xText);
        QFETCH(QString, yText);
        d->calibrate(dx, dy, origin, xAxis, yAxis);
        QVERIFY(f->FactorsValid);
        d->move(at.x(), at.y());
        QCOMPARE(f->xAktText, xText);
        QCOMPARE(f->yAktText, yText);
        QCOMPARE(f->xyAktLabel->text(), xText + " | " + yText + " ");
        QCOMPARE(f->xyLabel->text(), QStringLiteral("%1 | %2").arg(at.x()).arg(at.y()));
        QCOMPARE(f->CursorIx, f->ViewToPixel(at.x()));
        QCOMPARE(f->CursorIy, f->ViewToPixel(at.y()));
    }

    void exampleReadoutTexts()
    {
        d->calibrate("10", "5");
        d->move(400, 190);
        QCOMPARE(f->xAkt, 5.0);
        QCOMPARE(f->yAkt, 3.0);
        QCOMPARE(f->xyAktLabel->text(), QStringLiteral("   5,0 |    3,0 "));
        QCOMPARE(f->xyLabel->text(), QStringLiteral("400 | 190"));
    }

    // Each of the three presses: its cross at the press position, its labels,
    // the next prompt, and the new cross in the magnifier at once.
    void threeSteps()
    {
        QCOMPARE(f->Label4->text(), PromptOrigin);
        d->move(500, 500);
        QCOMPARE(f->xyAktLabel->text(), QString());

        d->right(100, 400);
        QCOMPARE(f->CalibStep, 1);
        QCOMPARE(f->XoLabel->text(), QStringLiteral("100"));
        QCOMPARE(f->YoLabel->text(), QStringLiteral("400"));
        for (QLabel* l : {f->XoLabel, f->YoLabel}) {
            QCOMPARE(labelColor(l), clGreen);
            QCOMPARE(labelFontColor(l), clWhite);
        }
        QCOMPARE(f->X1Label->text(), QString());
        QCOMPARE(labelColor(f->X1Label), clRestingLabel);
        QCOMPARE(f->Label4->text(), PromptXAxis);
        QCOMPARE(f->MarkerIx, 50);
        QCOMPARE(f->MarkerIy, 200);
        verifyCross(50, 200, Green);
        // The magnifier shows the origin: the pixel left of the cursor pixel is
        // the cross's inner arm, seen below the crosshair's horizontal stroke.
        QCOMPARE(f->zoomedImage->Picture.pixel(97, 102), Green);
        QCOMPARE(f->zoomedImage->Picture.pixel(100, 100), d->picture.pixel(50, 200));

        d->right(700, 380);
        QCOMPARE(f->CalibStep, 2);
        QCOMPARE(f->X1Label->text(), QStringLiteral("700"));
        QCOMPARE(labelColor(f->X1Label), clMaroon);
        QCOMPARE(labelFontColor(f->X1Label), clWhite);
        QCOMPARE(f->Label4->text(), PromptYAxis);
        // Drawn at the pressed position, not on the horizontal through the origin.
        verifyCross(350, 190, Maroon);
        QCOMPARE(f->zoomedImage->Picture.pixel(97, 102), Maroon);
        verifyCross(50, 200, Green);

        d->dialogs.then(DialogScript::answerInput("10", "5"));
        d->right(120, 50);
        QCOMPARE(f->CalibStep, 3);
        QCOMPARE(f->Y1Label->text(), QStringLiteral("50"));
        QCOMPARE(labelColor(f->Y1Label), clBlue);
        QCOMPARE(labelFontColor(f->Y1Label), clWhite);
        verifyCross(60, 25, Blue);
        QCOMPARE(f->zoomedImage->Picture.pixel(97, 102), Blue);
        QCOMPARE(d->inputPrompts, QStringList{PromptDifferences});
        QCOMPARE(d->entriesShown.size(), 1);
        QCOMPARE(d->entriesShown.first(), QStringList({QString(), QString()}));
        QCOMPARE(f->Label4->text(), PromptDigitize);
        // Moving before the third press changed nothing in the diagram read-out.
        QCOMPARE(f->xyAktLabel->text(), QString());
    }

    void inputDialogStandsUnderThePrompt()
    {
        QCOMPARE(f->Label4->geometry(), QRect(214, 81, 443, 22));
        d->calibrate("10", "5");
        QCOMPARE(d->inputPositions.size(), 1);
        const QRect outer = f->frameGeometry();
        QCOMPARE(d->inputPositions.first(), QPoint(outer.left() + 214 + 443 / 2, outer.top() + 81 + 100));
    }

    void fourthRightPress()
    {
        d->calibrate("10", "5");
        d->left(200, 300);
        d->left(300, 200);
        f->ResetDigiKoordSBnClick(); // the rows go and the prompt changes
        QVERIFY(f->Label4->text() != PromptDigitize);
        const QImage before = f->Image1->Picture;
        const QStringList labels = {f->XoLabel->text(), f->YoLabel->text(), f->X1Label->text(), f->Y1Label->text()};

        const QImage zoomBefore = f->zoomedImage->Picture;
        d->right(400, 100);
        QCOMPARE(f->CalibStep, 4);
        QCOMPARE(f->Label4->text(), PromptDigitize);
        QVERIFY(f->Image1->Picture == before);
        // The press position is converted, but the magnifier is not called.
        QCOMPARE(f->MarkerIx, 200);
        QCOMPARE(f->MarkerIy, 50);
        QVERIFY(f->zoomedImage->Picture == zoomBefore);
        QCOMPARE(QStringList({f->XoLabel->text(), f->YoLabel->text(), f->X1Label->text(), f->Y1Label->text()}),
                 labels);
        QCOMPARE(f->Xfakt, 60.0);
        QCOMPARE(f->XfaktLabel->text(), QStringLiteral("60"));
        QCOMPARE(f->PointRowCount(), 0);
        QCOMPARE(d->inputPositions.size(), 1);
        d->right(400, 100);
        QCOMPARE(f->CalibStep, 5);
    }

    void rightDoubleClickTakesTwoSteps()
    {
        d->right(100, 400);
        d->dialogs.then(DialogScript::answerInput("10", "5"));
        d->right(700, 50);
        QTest::mouseDClick(f->Image1, Qt::RightButton, {}, QPoint(700, 50));
        QTest::mouseRelease(f->Image1, Qt::RightButton, {}, QPoint(700, 50));
        QCOMPARE(f->CalibStep, 3);
        QCOMPARE(f->X1, 700);
        QCOMPARE(f->Y1, 50);
        QVERIFY(f->FactorsValid);
    }

    void abortAnsweredJa_data()
    {
        QTest::addColumn<QString>("dx");
        QTest::addColumn<QString>("dy");
        QTest::newRow("nothing entered") << "" << "";
        QTest::newRow("X accepted before") << "10" << "";
        QTest::newRow("Y accepted before") << "" << "5";
    }

    void abortAnsweredJa()
    {
        QFETCH(QString, dx);
        QFETCH(QString, dy);
        d->right(100, 400);
        d->right(700, 380);
        d->dialogs.then(DialogScript::abortInput(dx, dy)).then(DialogScript::clickJa());
        // The left button is held too: after the abort it must not capture (or complain).
        f->Image1MouseDown(Qt::RightButton, Qt::LeftButton | Qt::RightButton, 120, 50);

        QCOMPARE(d->dialogs.messages(), QStringList{MsgAbort});
        QCOMPARE(f->CalibStep, 0);
        QCOMPARE(f->Xo, -1);
        QCOMPARE(f->Y1, -1);
        for (QLabel* l : {f->XoLabel, f->YoLabel, f->X1Label, f->Y1Label, f->XdiffLabel, f->YdiffLabel, f->XfaktLabel,
                          f->YfaktLabel, f->xyAktLabel})
            QCOMPARE(l->text(), QString());
        for (QLabel* l : {f->XoLabel, f->YoLabel, f->X1Label, f->Y1Label, f->XdiffLabel, f->YdiffLabel})
            QCOMPARE(labelColor(l), clRestingLabel);
        QCOMPARE(f->Label4->text(), PromptOrigin);
        QVERIFY(f->Image1->Picture == d->picture);
        QCOMPARE(f->PointRowCount(), 0);
        QVERIFY(!f->FactorsValid);
        verifyNoReadout(400, 190);

        // The next right press is the origin again, and the dialog starts empty
        // although it still holds the entry accepted before the abort.
        d->calibrate("10", "5", {110, 390});
        QCOMPARE(f->Xo, 110);
        QCOMPARE(d->entriesShown.last(), QStringList({QString(), QString()}));
        QCOMPARE(f->Xfakt, 59.0);
    }

    void abortAnsweredNein()
    {
        d->right(100, 400);
        d->right(700, 380);
        // "Nein" leaves the dialog open; the entries are accepted afterwards.
        bool openAfterNein = false;
        d->dialogs
            .then(DialogScript::inInput([&](TInputMessageForm* w) {
                w->InputEdit1->setText("10");
                w->InputEdit2->setText("5");
                QTest::mouseClick(w->DelZeileSBtn, Qt::LeftButton);
                openAfterNein = w->isVisible();
                QTest::mouseClick(w->UebernehmenBtn, Qt::LeftButton);
            }))
            .then(DialogScript::clickNein());
        d->right(120, 50);
        QVERIFY(openAfterNein);
        QCOMPARE(d->dialogs.messages(), QStringList{MsgAbort});
        QCOMPARE(f->CalibStep, 3);
        QCOMPARE(f->XoLabel->text(), QStringLiteral("100"));
        QCOMPARE(f->Xfakt, 60.0);
        QCOMPARE(f->Yfakt, 70.0);
        QVERIFY(f->FactorsValid);
    }

    // The dialog closed by the window system with a difference missing.
    void closedWithDifferenceMissing_data()
    {
        QTest::addColumn<QString>("dx");
        QTest::addColumn<QString>("dy");
        QTest::newRow("only X") << "10" << "";
        QTest::newRow("only Y") << "" << "5";
    }

    void closedWithDifferenceMissing()
    {
        QFETCH(QString, dx);
        QFETCH(QString, dy);
        d->right(100, 400);
        d->right(700, 380);
        d->dialogs.then(DialogScript::answerInputAndClose(dx, dy));
        d->right(120, 50);

        QCOMPARE(f->CalibStep, 3);
        QCOMPARE(f->XdiffLabel->text(), dx);
        QCOMPARE(f->YdiffLabel->text(), dy);
        QCOMPARE(f->XfaktLabel->text(), QString());
        QCOMPARE(f->YfaktLabel->text(), QString());
        QVERIFY(!f->FactorsValid);
        QCOMPARE(f->Label4->text(), PromptReopenInput);
        verifyNoReadout(400, 190);
        verifyCaptureRefused(MsgDifferencesFirst);

        // The next right press opens the dialog again, with the entry given before.
        d->dialogs.then(DialogScript::answerInput("10", "5"));
        d->right(400, 190);
        QCOMPARE(d->entriesShown.last(), (QStringList{dx, dy}));
        QVERIFY(f->FactorsValid);
        QCOMPARE(f->Xfakt, 60.0);
        QCOMPARE(f->Label4->text(), PromptDigitize);
    }

    void closedWithBothMissingAsksAgain()
    {
        d->right(100, 400);
        d->right(700, 380);
        d->dialogs.then(DialogScript::answerInputAndClose("", ""));
        d->right(120, 50);
        QCOMPARE(f->CalibStep, 3);
        QVERIFY(!f->FactorsValid);
        verifyNoReadout(400, 190);

        d->dialogs.then(DialogScript::answerInput("10", "5"));
        d->right(400, 190);
        QCOMPARE(f->CalibStep, 4);
        QCOMPARE(d->inputPositions.size(), 2);
        QVERIFY(f->FactorsValid);
        QCOMPARE(f->Yfakt, 70.0);
        QCOMPARE(f->Label4->text(), PromptDigitize);
    }

    // A far point on the origin's vertical or horizontal would give a factor of
    // 0: it is refused at the press, and the same step takes the point again.
    void pointsOnTheOriginsLines()
    {
        d->right(100, 400);
        const QImage originOnly = f->Image1->Picture;
        d->right(100, 380);
        QCOMPARE(f->CalibStep, 1);
        QCOMPARE(f->X1Label->text(), QString());
        QVERIFY(f->Image1->Picture == originOnly);
        QCOMPARE(f->Label4->text(), PromptXAxis);
        d->right(700, 380);
        d->right(120, 400);
        QCOMPARE(f->CalibStep, 2);
        QCOMPARE(f->Label4->text(), PromptYAxis);
        QCOMPARE(d->dialogs.messages().size(), 2);
        QVERIFY(d->dialogs.messages().at(0).startsWith(u"x1 "));
        QVERIFY(d->dialogs.messages().at(1).startsWith(u"y1 "));
        d->dialogs.then(DialogScript::answerInput("10", "5"));
        d->right(120, 50);
        QVERIFY(f->FactorsValid);
        QCOMPARE(f->Xfakt, 60.0);
        verifyCross(50, 200, Green);
    }

    // A difference that is 0 or no number: its message, then the dialog again at
    // once with the usable entry kept and the faulty one emptied and focused.
    void faultyDifference_data()
    {
        QTest::addColumn<QString>("dx");
        QTest::addColumn<QString>("dy");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("shownAgain");
        QTest::newRow("X is 0") << "0" << "5" << MsgZero << QStringList{"", "5"};
        QTest::newRow("Y is 0") << "10" << "0" << MsgZero << QStringList{"10", ""};
        QTest::newRow("0,0") << "0,0" << "5" << MsgZero << QStringList{"", "5"};
        QTest::newRow("-0") << "10" << "-0" << MsgZero << QStringList{"10", ""};
        QTest::newRow("1,2,3") << "1,2,3" << "5" << "'1,2,3' ist kein gültiger Gleitkommawert" << QStringList{"", "5"};
        QTest::newRow("1.5.2") << "10" << "1.5.2" << "'1,5,2' ist kein gültiger Gleitkommawert"
                               << QStringList{"10", ""};
        QTest::newRow("lone minus") << "-" << "5" << "'-' ist kein gültiger Gleitkommawert" << QStringList{"", "5"};
    }

    void faultyDifference()
    {
        QFETCH(QString, dx);
        QFETCH(QString, dy);
        QFETCH(QString, message);
        QFETCH(QStringList, shownAgain);
        // An earlier calibration left factors behind; they must not be used meanwhile.
        d->calibrate("10", "5");
        f->ResetAllesSBtnClick();
        bool faultyFocused = false;
        bool readoutEmpty = false;
        d->right(100, 400);
        d->right(700, 380);
        d->dialogs.then(DialogScript::answerInput(dx, dy)).then(DialogScript::clickNein());
        d->dialogs.then(DialogScript::inInput([&](TInputMessageForm* w) {
            QLineEdit* faulty = shownAgain.at(0).isEmpty() ? w->InputEdit1 : w->InputEdit2;
            faultyFocused = w->focusWidget() == faulty;
            readoutEmpty = !f->FactorsValid && f->XfaktLabel->text().isEmpty();
            faulty->setText(faulty == w->InputEdit1 ? "10" : "5");
            QTest::mouseClick(w->UebernehmenBtn, Qt::LeftButton);
        }));
        d->right(120, 50);

        QCOMPARE(d->dialogs.messages(), QStringList{message});
        QCOMPARE(d->dialogs.errors(), QStringList());
        QCOMPARE(d->entriesShown.mid(1), (QList<QStringList>{{QString(), QString()}, shownAgain}));
        QVERIFY(faultyFocused);
        QVERIFY(readoutEmpty);
        QCOMPARE(f->CalibStep, 3);
        QVERIFY(f->FactorsValid);
        QCOMPARE(f->Xfakt, 60.0);
        QCOMPARE(f->Yfakt, 70.0);
        QCOMPARE(f->XdiffLabel->text(), QStringLiteral("10"));
        QCOMPARE(f->Label4->text(), PromptDigitize);
    }


    void nothingBeforeAPicture()
    {
        FormDriver fresh;
        TMainForm* g = fresh.form;
        fresh.right(100, 400);
        fresh.left(100, 400);
        fresh.move(412, 87);
        QCOMPARE(g->CalibStep, 0);
        QCOMPARE(g->XoLabel->text(), QString());
        QCOMPARE(g->xyLabel->text(), QString());
        QCOMPARE(g->Label4->text(), PromptOpen);
        QCOMPARE(fresh.dialogs.messages(), QStringList());
        QCOMPARE(fresh.dialogs.unexpected(), QStringList());
    }

    // Both buttons held: the calibration half first, then the capture.
    void bothButtonsHeld()
    {
        d->calibrate("10", "5");
        f->Image1MouseDown(Qt::LeftButton, Qt::LeftButton | Qt::RightButton, 400, 190);
        QCOMPARE(f->CalibStep, 4);
        QCOMPARE(f->PointRowCount(), 1);
        QCOMPARE(f->PointCell(0, ColX), QStringLiteral("   5,0"));
        QCOMPARE(d->dialogs.messages(), QStringList());
    }
};

KUVARO_TEST_MAIN(TestCalibration)
#include "tst_calibration.moc"
