// The prompt and the press actions over every digitizing state: no state may
// prompt for a step that its presses do not take.

#include "common/CoreTestMain.h"
#include "digitizing/Guidance.h"

using namespace kuvaro;

Q_DECLARE_METATYPE(kuvaro::RightPress)
Q_DECLARE_METATYPE(kuvaro::LeftPress)

class TestGuidance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyState_data()
    {
        QTest::addColumn<bool>("picture");
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("factors");
        QTest::addColumn<RightPress>("right");
        QTest::addColumn<LeftPress>("left");
        QTest::addColumn<QString>("promptNames");
        for (int step : {0, 3, 5})
            QTest::addRow("no picture, step %d", step) << false << step << false << RightPress::Ignore
                                                       << LeftPress::Ignore << "Strg+V";
        QTest::newRow("origin") << true << 0 << false << RightPress::TakeOrigin << LeftPress::CalibrateFirst
                                << "Nullpunkt";
        QTest::newRow("x1") << true << 1 << false << RightPress::TakeX1 << LeftPress::CalibrateFirst << "X-Achse";
        QTest::newRow("y1") << true << 2 << false << RightPress::TakeY1 << LeftPress::CalibrateFirst << "Y-Achse";
        for (int step : {3, 4, 9}) {
            QTest::addRow("differences missing, step %d", step)
                << true << step << false << RightPress::AskDifferences << LeftPress::DifferencesFirst
                << "rechtem Mausklick die Eingabe";
            QTest::addRow("calibrated, step %d", step)
                << true << step << true << RightPress::Recalibrate << LeftPress::Capture << "linkem Mausklick";
        }
    }

    void everyState()
    {
        QFETCH(bool, picture);
        QFETCH(int, step);
        QFETCH(bool, factors);
        QFETCH(QString, promptNames);
        const Guidance g = guidance({picture, step, factors});
        QTEST(g.right, "right");
        QTEST(g.left, "left");
        QVERIFY2(g.prompt.contains(promptNames), qPrintable(g.prompt));
        QVERIFY(g.prompt.startsWith(u"  "));
        // Only a press that cannot capture has a refusal, and "points missing" only when they are.
        QCOMPARE(leftPressRefusal(g.left).isEmpty(), g.left == LeftPress::Capture || g.left == LeftPress::Ignore);
        QCOMPARE(leftPressRefusal(g.left).contains(u"Nullpunkt, x1 und y1"), picture && step < 3);
    }
};

KUVARO_CORE_TEST_MAIN(TestGuidance)
#include "tst_guidance.moc"
