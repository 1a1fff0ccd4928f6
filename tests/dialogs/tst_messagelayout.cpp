// The message dialog's size and button places from the measured line widths.

#include "common/CoreTestMain.h"
#include "dialogs/MessageLayout.h"

#include <QTest>

using namespace kuvaro;

class TestMessageLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layout_data()
    {
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("content");
        QTest::addColumn<QSize>("label");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<int>("buttonTop");
        QTest::addColumn<int>("neinLeft");
        QTest::addColumn<int>("jaLeft");

        QTest::newRow("empty text, OK") << QList<int>{0} << int(ModeOk) << 100 << QSize(108, 34) << QSize(140, 98)
                                        << 58 << 33 << -1;
        QTest::newRow("480 line, OK") << QList<int>{480} << int(ModeOk) << 496 << QSize(504, 34) << QSize(536, 98)
                                      << 58 << 231 << -1;
        QTest::newRow("480 line, Ja/Nein") << QList<int>{480} << int(ModeJaNein) << 496 << QSize(504, 34)
                                           << QSize(536, 98) << 58 << 272 << 189;
        QTest::newRow("two lines") << QList<int>{200, 300} << int(ModeOk) << 316 << QSize(324, 51) << QSize(356, 115)
                                   << 75 << 141 << -1;
        // Wider than 900: the content is 900 and the line counts twice.
        QTest::newRow("wide line") << QList<int>{1200} << int(ModeOk) << 900 << QSize(908, 51) << QSize(940, 115)
                                   << 75 << 433 << -1;
        // 885 to 900 give more than the 900 a wider line gets.
        QTest::newRow("line of 900") << QList<int>{900} << int(ModeJaNein) << 916 << QSize(924, 34) << QSize(956, 98)
                                     << 58 << 482 << 399;
        QTest::newRow("narrow, content floor") << QList<int>{50, 10} << int(ModeJaNein) << 100 << QSize(108, 51)
                                               << QSize(140, 115) << 75 << 74 << -9;
        QTest::newRow("odd client width") << QList<int>{101} << int(ModeOk) << 117 << QSize(125, 34)
                                          << QSize(157, 98) << 58 << 41 << -1;
    }
    void layout()
    {
        QFETCH(QList<int>, widths);
        QFETCH(int, mode);
        QFETCH(int, jaLeft);
        const MessageLayout l = computeMessageLayout(widths, mode);
        QFETCH(int, content);
        QCOMPARE(l.contentWidth, content);
        QFETCH(QSize, label);
        QCOMPARE(QSize(l.labelWidth, l.labelHeight), label);
        QFETCH(QSize, client);
        QCOMPARE(QSize(l.clientWidth, l.clientHeight), client);
        QFETCH(int, buttonTop);
        QCOMPARE(l.buttonTop, buttonTop);
        QFETCH(int, neinLeft);
        QCOMPARE(l.neinLeft, neinLeft);
        QCOMPARE(l.jaVisible, mode == ModeJaNein);
        QCOMPARE(l.neinCaption, mode == ModeJaNein ? QStringLiteral("Nein") : QStringLiteral("OK"));
        if (l.jaVisible) {
            QCOMPARE(l.jaLeft, jaLeft);
            // Eight pixels apart, symmetric about the middle (up to the dropped half pixel).
            QCOMPARE(l.neinLeft - (l.jaLeft + MessageButtonWidth), 8);
        }
    }

    void lines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QString() << QStringList{QString()};
        QTest::newRow("one") << "Hallo" << QStringList{"Hallo"};
        QTest::newRow("two") << "a\nb" << QStringList{"a", "b"};
        QTest::newRow("trailing line feed") << "a\n" << QStringList{"a", ""};
        QTest::newRow("carriage return is a character") << "a\r\nb" << QStringList{"a\r", "b"};
    }
    void lines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(messageMeasuredLines(messageShownText(text)), lines);
    }

    void longTextsAreCut()
    {
        const QString text = QString(1200, u'a');
        QCOMPARE(messageShownText(text).size(), 1000);
        const QStringList lines = messageMeasuredLines(QString(400, u'b') + u'\n' + QString(10, u'c'));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0].size(), 300); // only the first 300 characters are measured
        QCOMPARE(lines[1].size(), 10);
    }

    void trailingLineFeedAddsALine()
    {
        const MessageLayout one = computeMessageLayout({100}, ModeOk);
        const MessageLayout two = computeMessageLayout({100, 0}, ModeOk);
        QCOMPARE(two.labelHeight - one.labelHeight, MessageLineHeight);
    }
};

KUVARO_CORE_TEST_MAIN(TestMessageLayout)
#include "tst_messagelayout.moc"
