// The information dialog: layout, placement, scrolling on the wheel, the reset
// to the top on every showing, the hidden build message and the instructions picture.

#include "app/Application.h"
#include "app/Controls.h"
#include "app/Main.h"
#include "app/Startup.h"
#include "common/DialogScript.h"
#include "common/TestMain.h"
#include "dialogs/InstructionsPicture.h"
#include "dialogs/Lizenz.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

using namespace kuvaro;
using kuvaro::test::DialogScript;

namespace {

constexpr int ScrollMaximum = 1709 - 480;

void sendWheel(QWidget* target, int delta)
{
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

int darkPixels(const QImage& image, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 110)
                ++n;
    return n;
}

bool hasColour(const QImage& image, const QRect& area, QRgb colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return true;
    return false;
}

} // namespace

class TestLizenz : public QObject
{
    Q_OBJECT

    Forms forms;
    TLizForm* dlg = nullptr;

    // Shows the dialog without a modal loop, as active window, with its scroll range laid out.
    bool showDialog()
    {
        dlg->show();
        dlg->activateWindow();
        if (!QTest::qWaitForWindowActive(dlg))
            return false;
        return QTest::qWaitFor([&] { return dlg->ScrollBox1->verticalScrollBar()->maximum() == ScrollMaximum; });
    }

    // Answers the dialogs that come up over the information dialog, which is
    // itself shown modally by the tests.
    void overTheDialog(DialogScript& script)
    {
        script.answerOnly([this](QWidget* w) { return w != dlg; });
    }

    // Whether a mouse press on the red band opened any modal window; one that did is closed again.
    bool pressOpensSomething(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
    {
        DialogScript script;
        overTheDialog(script);
        // A box would be shown inside the press's handling, so it would have been recorded by now.
        QTest::mousePress(dlg->VersionNameLabel, button, modifiers, QPoint(40, 10));
        QTest::mouseRelease(dlg->VersionNameLabel, button, modifiers, QPoint(40, 10));
        return !script.seen.isEmpty();
    }

private Q_SLOTS:
    void initTestCase()
    {
        forms = createForms();
        dlg = forms.lizForm.get();
    }

    void cleanup()
    {
        if (dlg->isVisible())
            dlg->close();
    }

    void layout()
    {
        QCOMPARE(dlg->size(), QSize(711, 600));
        QCOMPARE(dlg->minimumSize(), QSize(711, 600));
        QCOMPARE(dlg->maximumSize(), QSize(711, 600));
        QCOMPARE(dlg->windowTitle(), QStringLiteral("  Bedienung und Lizenzvereinbarung"));
        QVERIFY(!(dlg->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(dlg->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(dlg->windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(dlg->palette().color(QPalette::Window), toQColor(clSilver));

        QCOMPARE(dlg->VersionNameLabel->geometry(), QRect(16, 22, 681, 20));
        QCOMPARE(labelColor(dlg->VersionNameLabel), clRedBand);
        QCOMPARE(labelFontColor(dlg->VersionNameLabel), clWhite);
        QVERIFY(dlg->VersionNameLabel->autoFillBackground());
        QCOMPARE(dlg->VersionNameLabel->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
        QCOMPARE(dlg->VersionNameLabel->font().pixelSize(), 13);
        QCOMPARE(dlg->VersionNameLabel->focusPolicy(), Qt::NoFocus);

        QCOMPARE(dlg->ScrollBox1->geometry(), QRect(16, 48, 680, 480));
        QCOMPARE(dlg->ScrollBox1->frameShape(), QFrame::NoFrame);
        QCOMPARE(dlg->ScrollBox1->viewport()->palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(dlg->ScrollBox1->focusPolicy() & Qt::TabFocus);
        QCOMPARE(dlg->ScrollBox1->widget(), static_cast<QWidget*>(dlg->Image1));
        QCOMPARE(dlg->Image1->geometry(), QRect(0, 0, 640, 1709));
        // Drawn on the first showing.
        QVERIFY(dlg->Image1->pixmap().isNull());
        dlg->show();
        QCOMPARE(dlg->Image1->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                 instructionsPicture().convertToFormat(QImage::Format_RGB32));
        dlg->close();

        QCOMPARE(dlg->CloseBtn->geometry(), QRect(296, 551, 97, 25));
        QCOMPARE(dlg->CloseBtn->text(), QStringLiteral("&Schließen"));
        QCOMPARE(dlg->CloseBtn->font().pixelSize(), 13);
    }

    void scrollRangeAndTabOrder()
    {
        QVERIFY(showDialog());
        QScrollBar* bar = dlg->ScrollBox1->verticalScrollBar();
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), ScrollMaximum);
        QCOMPARE(bar->pageStep(), 480);
        QVERIFY(!dlg->ScrollBox1->horizontalScrollBar()->isVisible());

        // The close button comes first, the scroll area second, and then round again.
        dlg->CloseBtn->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dlg->CloseBtn));
        QTest::keyClick(dlg->CloseBtn, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dlg->ScrollBox1));
        QTest::keyClick(dlg->ScrollBox1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dlg->CloseBtn));
    }

    void wheel_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("expected");
        QTest::newRow("7 moves nothing") << 300 << 7 << 300;
        QTest::newRow("-7 moves nothing") << 300 << -7 << 300;
        QTest::newRow("notch toward the user: 15 down") << 0 << -120 << 15;
        QTest::newRow("notch away from the user: 15 up") << 300 << 120 << 285;
        QTest::newRow("notch away at the top stays 0") << 0 << 120 << 0;
        QTest::newRow("notch toward at the bottom stays 1229") << ScrollMaximum << -120 << ScrollMaximum;
        QTest::newRow("15 truncates to 1") << 300 << 15 << 299;
        QTest::newRow("-15 truncates to -1") << 300 << -15 << 301;
        QTest::newRow("-8 is one pixel") << 300 << -8 << 301;
        QTest::newRow("two notches") << 300 << -240 << 330;
        QTest::newRow("clamped at the top") << 10 << 120 << 0;
        QTest::newRow("clamped at the bottom") << ScrollMaximum - 5 << -120 << ScrollMaximum;
        QTest::newRow("far beyond the bottom") << 0 << -100000 << ScrollMaximum;
    }

    void wheel()
    {
        QFETCH(int, start);
        QFETCH(int, delta);
        QVERIFY(showDialog());
        QScrollBar* bar = dlg->ScrollBox1->verticalScrollBar();
        bar->setValue(start);
        QCOMPARE(bar->value(), start);
        // Only the dialog's rule moves the view: the scroll area's own wheel
        // handling would move it by three lines as well.
        sendWheel(dlg->ScrollBox1->viewport(), delta);
        QTEST(bar->value(), "expected");
    }

    void wheelOverTheScrollBarFollowsTheSameRule()
    {
        QVERIFY(showDialog());
        QScrollBar* bar = dlg->ScrollBox1->verticalScrollBar();
        bar->setValue(100);
        sendWheel(bar, -120);
        QCOMPARE(bar->value(), 115);
        sendWheel(dlg->ScrollBox1, 120);
        QCOMPARE(bar->value(), 100);
    }

    void wheelElsewhereScrollsNothing()
    {
        QVERIFY(showDialog());
        QScrollBar* bar = dlg->ScrollBox1->verticalScrollBar();
        bar->setValue(100);
        sendWheel(dlg->VersionNameLabel, -120);
        sendWheel(dlg->CloseBtn, -120);
        sendWheel(dlg, -120);
        QCOMPARE(bar->value(), 100);
    }

    void infoButtonOpensAtTheTopWithFocusOnTheScrollArea()
    {
        dlg->setWindowTitle(QStringLiteral("anders"));
        dlg->VersionNameLabel->setText(QStringLiteral("anders"));
        QScrollBar* bar = dlg->ScrollBox1->verticalScrollBar();
        for (int run = 0; run < 2; ++run) {
            bool answered = false;
            QString title, band;
            int startValue = -1, scrolledValue = -1;
            bool laidOut = false;
            QWidget* focus = nullptr;
            DialogScript script;
            script.then([&](QWidget* w) {
                if (w != dlg)
                    return;
                answered = true;
                title = dlg->windowTitle();
                band = dlg->VersionNameLabel->text();
                startValue = bar->value();
                focus = dlg->focusWidget();
                // Scroll down before closing; the next showing starts at the top again.
                laidOut = QTest::qWaitFor([&] { return bar->maximum() == ScrollMaximum; });
                for (int i = 0; i < 10; ++i)
                    sendWheel(dlg->ScrollBox1->viewport(), -120);
                scrolledValue = bar->value();
                QTest::mouseClick(dlg->CloseBtn, Qt::LeftButton);
            });
            forms.mainForm->InfoSBtnClick();
            QVERIFY(answered);
            QVERIFY(!dlg->isVisible());
            QCOMPARE(title, QStringLiteral("  Bedienung und Lizenzvereinbarung"));
            QCOMPARE(band, applicationTitle());
            QCOMPARE(band, QStringLiteral("  Kuvaro  26.01 "));
            QCOMPARE(startValue, 0);
            QCOMPARE(focus, static_cast<QWidget*>(dlg->ScrollBox1));
            QVERIFY(laidOut);
            QCOMPARE(scrolledValue, 150);
        }
    }

    void showingResetsToTheTop()
    {
        QVERIFY(showDialog());
        QScrollBar* bar = dlg->ScrollBox1->verticalScrollBar();
        dlg->CloseBtn->setFocus();
        bar->setValue(900);
        dlg->close();
        QVERIFY(showDialog());
        QCOMPARE(bar->value(), 0);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dlg->ScrollBox1));
    }

    void firstShowingCentredLaterWhereItWasLast()
    {
        TLizForm fresh(QStringLiteral("stamp"));
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        fresh.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fresh));
        QCOMPARE(fresh.pos(), QPoint(area.x() + (area.width() - 711) / 2, area.y() + (area.height() - 600) / 2));
        // As if the user had dragged it by its title bar.
        fresh.move(area.x() + 37, area.y() + 21);
        fresh.close();
        fresh.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fresh));
        QCOMPARE(fresh.pos(), QPoint(area.x() + 37, area.y() + 21));
        fresh.close();
    }

    void escapeDoesNotCloseButTheAccessKeyDoes()
    {
        QVERIFY(showDialog());
        QTest::keyClick(dlg->ScrollBox1, Qt::Key_Escape);
        QVERIFY(dlg->isVisible());
        QTest::keyClick(dlg->ScrollBox1, Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!dlg->isVisible());
    }

    void buildMessage_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("modifiers");
        // This test program carries no version information, so ReadVersionText
        // leaves the text as it stands.
        QTest::newRow("no version read yet") << QString() << int(Qt::ShiftModifier);
        QTest::newRow("version kept") << QStringLiteral("32.2.0.0") << int(Qt::ShiftModifier);
        QTest::newRow("further keys do not matter")
            << QStringLiteral("26.1.0.0") << int(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    }

    void buildMessage()
    {
        QFETCH(QString, version);
        QFETCH(int, modifiers);
        dlg->VersionNameLabel->setText(applicationTitle());
        QVERIFY(showDialog());
        dlg->VersionText = version;

        QString text, title;
        int buttons = -1;
        QMessageBox::StandardButtons standard;
        QPoint centreOffset;
        DialogScript script;
        overTheDialog(script);
        script.then([&](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                text = box->text();
                title = box->windowTitle();
                buttons = int(box->buttons().size());
                standard = box->standardButtons();
                centreOffset = box->frameGeometry().center() - box->screen()->availableGeometry().center();
            }
            DialogScript::okMessageBox()(w);
        });
        QTest::mousePress(dlg->VersionNameLabel, Qt::RightButton, Qt::KeyboardModifiers(modifiers), QPoint(40, 10));
        QTest::mouseRelease(dlg->VersionNameLabel, Qt::RightButton, Qt::KeyboardModifiers(modifiers),
                            QPoint(40, 10));
        QCOMPARE(script.seen.size(), 1);

        QCOMPARE(text, QStringLiteral("Build ") + forms.mainForm->BuildStamp + QStringLiteral(" ") + version);
        QVERIFY(forms.mainForm->BuildStamp.startsWith(QStringLiteral("  Kuvaro  26.01 ")));
        QCOMPARE(title, applicationTitle());
        QCOMPARE(buttons, 1);
        QCOMPARE(standard, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY2(qAbs(centreOffset.x()) <= 1 && qAbs(centreOffset.y()) <= 1,
                 qPrintable(QStringLiteral("%1,%2").arg(centreOffset.x()).arg(centreOffset.y())));
        QCOMPARE(dlg->VersionText, version);
        QVERIFY(dlg->isVisible());
    }

    void otherPressesShowNothing_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("right without Shift") << int(Qt::RightButton) << int(Qt::NoModifier);
        QTest::newRow("right with Ctrl") << int(Qt::RightButton) << int(Qt::ControlModifier);
        QTest::newRow("left with Shift") << int(Qt::LeftButton) << int(Qt::ShiftModifier);
        QTest::newRow("middle with Shift") << int(Qt::MiddleButton) << int(Qt::ShiftModifier);
        QTest::newRow("left alone") << int(Qt::LeftButton) << int(Qt::NoModifier);
    }

    void otherPressesShowNothing()
    {
        QFETCH(int, button);
        QFETCH(int, modifiers);
        QVERIFY(showDialog());
        QVERIFY(!pressOpensSomething(Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers)));
        // The probe itself works: the gesture does open the box.
        QVERIFY(pressOpensSomething(Qt::RightButton, Qt::ShiftModifier));
    }

    void pressWithRightButtonHeldCounts()
    {
        // A left press while the right button is already held, with Shift: both are held.
        QVERIFY(showDialog());
        DialogScript script;
        overTheDialog(script);
        script.then(DialogScript::okMessageBox());
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(40, 10), dlg->VersionNameLabel->mapToGlobal(QPointF(40, 10)),
                          Qt::LeftButton, Qt::LeftButton | Qt::RightButton, Qt::ShiftModifier);
        QApplication::sendEvent(dlg->VersionNameLabel, &press);
        QCOMPARE(script.seen.size(), 1);
        QVERIFY2(script.seen.first().startsWith(QStringLiteral("box: ")), qPrintable(script.seen.first()));
    }

    // ------------------------------------------------- the instructions picture

    void pictureSizeAndParts()
    {
        const InstructionsPicture picture = renderInstructionsPicture();
        QCOMPARE(picture.image.size(), QSize(640, 1709));
        QCOMPARE(instructionsPicture().size(), QSize(640, 1709));
        QCOMPARE(picture.parts.size(), 7);
        int bottom = -1;
        for (const QRect& part : picture.parts) {
            QVERIFY(part.top() > bottom);
            QVERIFY(picture.image.rect().contains(part));
            QVERIFY(part.height() > 60);
            bottom = part.bottom();
        }
    }

    void pictureHasTextInEveryPart()
    {
        const InstructionsPicture picture = renderInstructionsPicture();
        for (qsizetype i = 0; i < picture.parts.size(); ++i) {
            const QRect part = picture.parts[i];
            const int dark = darkPixels(picture.image, part);
            // Several lines of text, not a blank band.
            QVERIFY2(dark > 1500, qPrintable(QStringLiteral("part %1: %2 dark pixels").arg(i).arg(dark)));
            // Text runs over most of the width, so it is not one picture only.
            const QRect leftHalf(part.left(), part.top(), part.width() / 2, part.height());
            const QRect rightHalf(part.left() + part.width() / 2, part.top(), part.width() / 2, part.height());
            QVERIFY(darkPixels(picture.image, leftHalf) > 300);
            QVERIFY(darkPixels(picture.image, rightHalf) > 300);
        }
    }

    void pictureHeaderShowsTheLogo()
    {
        const QImage logo = QImage(QStringLiteral(":/images/logo.png"));
        QVERIFY(!logo.isNull());
        const InstructionsPicture picture = renderInstructionsPicture();
        // The logo's red polyline shows up in the header, left of the product name.
        const QRect logoArea(24, picture.parts[0].top() + 14, 64, 64);
        int reddish = 0;
        for (int y = logoArea.top(); y <= logoArea.bottom(); ++y)
            for (int x = logoArea.left(); x <= logoArea.right(); ++x) {
                const QColor c = picture.image.pixelColor(x, y);
                if (c.red() > 150 && c.green() < 90 && c.blue() < 90)
                    ++reddish;
            }
        QVERIFY(reddish > 30);
    }

    void exampleDiagramShowsTheCalibrationCrosses()
    {
        const InstructionsPicture picture = renderInstructionsPicture();
        const QRect example = picture.parts[4];
        QVERIFY(hasColour(picture.image, example, toQRgb(clGreen)));
        QVERIFY(hasColour(picture.image, example, toQRgb(clMaroon)));
        QVERIFY(hasColour(picture.image, example, toQRgb(clBlue)));
        // Those colours belong to the diagram only.
        for (int i : {0, 1, 2, 3, 5, 6})
            QVERIFY(!hasColour(picture.image, picture.parts[i], toQRgb(clGreen)));
    }
};

KUVARO_TEST_MAIN(TestLizenz)
#include "tst_lizenz.moc"
