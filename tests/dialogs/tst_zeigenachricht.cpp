// The message dialog: answers, re-entry guard and the layout applied on showing.

#include "app/Main.h"
#include "app/Startup.h"
#include "common/DialogScript.h"
#include "common/TestMain.h"
#include "dialogs/Zeigenachricht.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace kuvaro;
using kuvaro::test::DialogScript;

class TestZeigeNachricht : public QObject
{
    Q_OBJECT

    Forms forms;
    TZeigeNachrichtForm* dlg = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        forms = createForms();
        dlg = forms.zeigeNachrichtForm.get();
    }

    void caption() { QCOMPARE(dlg->windowTitle(), QStringLiteral("    Kuvaro  26.01 ")); }

    void answers_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("expected");
        QTest::newRow("OK") << int(ModeOk) << "nein" << int(AnswerNein);
        QTest::newRow("Ja") << int(ModeJaNein) << "ja" << int(AnswerJa);
        QTest::newRow("Nein") << int(ModeJaNein) << "nein" << int(AnswerNein);
        QTest::newRow("close box, question") << int(ModeJaNein) << "close" << int(AnswerNone);
        QTest::newRow("close box, message") << int(ModeOk) << "close" << int(AnswerNone);
        // Escape does nothing; the dialog stays until a button answers.
        QTest::newRow("escape then Ja") << int(ModeJaNein) << "escape-ja" << int(AnswerJa);
        // Enter presses the focused button, which is "Nein"/"OK" at first.
        QTest::newRow("enter") << int(ModeJaNein) << "enter" << int(AnswerNein);
    }
    void answers()
    {
        QFETCH(int, mode);
        QFETCH(QString, how);
        QString shownOk;
        DialogScript script;
        script.then([&](QWidget* w) {
            auto* d = qobject_cast<TZeigeNachrichtForm*>(w);
            if (!d)
                return;
            shownOk = d->NeinBtn->text();
            if (how == "ja")
                QTest::mouseClick(d->JaBtn, Qt::LeftButton);
            else if (how == "nein")
                QTest::mouseClick(d->NeinBtn, Qt::LeftButton);
            else if (how == "close")
                d->close();
            else if (how == "escape-ja") {
                QTest::keyClick(d, Qt::Key_Escape);
                if (d->isVisible())
                    QTest::mouseClick(d->JaBtn, Qt::LeftButton);
            } else if (how == "enter")
                QTest::keyClick(d->NeinBtn, Qt::Key_Return);
        });
        const int answer = dlg->ShowMessageMode(QStringLiteral("Frage ?"), mode);
        QTEST(answer, "expected");
        QCOMPARE(forms.mainForm->MessageAnswer, answer);
        QCOMPARE(shownOk, mode == ModeOk ? QStringLiteral("OK") : QStringLiteral("Nein"));
        QVERIFY(!dlg->isVisible());
    }

    void callWhileShowingAnswers99()
    {
        int nested = -1;
        int answersDuringNested = -1;
        DialogScript script;
        script.then([&](QWidget* w) {
            auto* d = qobject_cast<TZeigeNachrichtForm*>(w);
            if (!d)
                return;
            const QString before = d->Label1->text();
            nested = d->ShowMessageText(QStringLiteral("zweite Meldung"));
            answersDuringNested = forms.mainForm->MessageAnswer;
            // Nothing about the showing dialog changed.
            QCOMPARE(d->Label1->text(), before);
            QTest::mouseClick(d->JaBtn, Qt::LeftButton);
        });
        const int answer = dlg->ShowMessageMode(QStringLiteral("erste Frage"), ModeJaNein);
        QCOMPARE(nested, int(AnswerNone));
        QCOMPARE(answersDuringNested, int(AnswerNone));
        QCOMPARE(answer, int(AnswerJa)); // the later click overwrites the 99
    }

    void layoutAppliedOnShowing()
    {
        QSize client;
        QPoint okPos, jaPos, neinPos;
        bool jaVisible = true;
        QSize label;
        DialogScript script;
        script.then([&](QWidget* w) {
            auto* d = qobject_cast<TZeigeNachrichtForm*>(w);
            client = d->size();
            okPos = d->NeinBtn->pos();
            jaVisible = d->JaBtn->isVisible();
            label = d->Label1->size();
            d->NeinBtn->click();
        });
        dlg->ShowMessageText(QString());
        QCOMPARE(client, QSize(140, 98));
        QCOMPARE(label, QSize(108, 34));
        QCOMPARE(okPos, QPoint(33, 58));
        QVERIFY(!jaVisible);

        // A question after a message shows "Ja" again, symmetric about the middle.
        script.then([&](QWidget* w) {
            auto* d = qobject_cast<TZeigeNachrichtForm*>(w);
            client = d->size();
            jaVisible = d->JaBtn->isVisible();
            jaPos = d->JaBtn->pos();
            neinPos = d->NeinBtn->pos();
            d->NeinBtn->click();
        });
        dlg->ShowMessageMode(QStringLiteral("Sollen die digitalisierten Punkte gespeichert werden ?"), ModeJaNein);
        QVERIFY(jaVisible);
        QCOMPARE(dlg->JaBtn->text(), QStringLiteral("Ja"));
        QCOMPARE(jaPos.y(), neinPos.y());
        QCOMPARE(neinPos.x() - (jaPos.x() + 75), 8);
        QCOMPARE(jaPos.x() + 75 + 4, client.width() / 2);
        QCOMPARE(neinPos.y(), client.height() - 40);
        const int measured = QFontMetrics(dlg->Label1->font())
                                 .horizontalAdvance(QStringLiteral("Sollen die digitalisierten Punkte gespeichert werden ?"));
        QCOMPARE(client.width(), std::max(measured + 16, 100) + 40);
    }

    void longTextShowsFirst1000Characters()
    {
        QString shown;
        DialogScript script;
        script.then([&](QWidget* w) {
            auto* d = qobject_cast<TZeigeNachrichtForm*>(w);
            shown = d->Label1->text();
            d->NeinBtn->click();
        });
        dlg->ShowMessageText(QString(1200, u'x'));
        QCOMPARE(shown, QString(1000, u'x'));
    }
};

KUVARO_TEST_MAIN(TestZeigeNachricht)
#include "tst_zeigenachricht.moc"
