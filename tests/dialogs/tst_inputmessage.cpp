// The calibration input dialog on its own: the numeric-text check, what the
// accept button stores, the messages and the focus, the abort, the keys that do
// nothing, the typing limit and the layout.

#include "app/Application.h"
#include "app/Controls.h"
#include "common/FormDriver.h"
#include "common/ProgramTexts.h"
#include "common/TestMain.h"
#include "dialogs/NumericText.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <memory>

using namespace kuvaro;
using namespace kuvaro::test;

class TestInputMessage : public QObject
{
    Q_OBJECT

    std::unique_ptr<FormDriver> d;
    TInputMessageForm* dlg = nullptr;

    // Shows the dialog modally as the main window does; `act` acts in it.
    void run(std::function<void(TInputMessageForm*)> act)
    {
        d->dialogs.then(DialogScript::inInput(std::move(act)));
        dlg->exec();
        QVERIFY(d->dialogs.allUsed());
    }

private Q_SLOTS:
    void init()
    {
        d = std::make_unique<FormDriver>();
        dlg = d->input;
    }

    void cleanup() { FormDriver::finish(d); }

    void numericText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("digits") << "0123456789" << true;
        QTest::newRow("comma") << "12,5" << true;
        QTest::newRow("point") << "12.5" << true;
        QTest::newRow("leading minus") << "-5" << true;
        QTest::newRow("minus alone") << "-" << true;
        QTest::newRow("1,2,3") << "1,2,3" << true;
        QTest::newRow("1.5.2") << "1.5.2" << true;
        QTest::newRow("separators only") << ",.,." << true;
        QTest::newRow("trailing minus") << "5-" << false;
        QTest::newRow("two minus") << "--5" << false;
        QTest::newRow("minus inside") << "1-2" << false;
        QTest::newRow("letter") << "1a" << false;
        QTest::newRow("letters") << "a" << false;
        QTest::newRow("plus") << "+5" << false;
        QTest::newRow("blank") << "1 5" << false;
        QTest::newRow("leading blank") << " 5" << false;
        QTest::newRow("exponent") << "1e5" << false;
        QTest::newRow("non-latin digit") << "\u0661" << false;
        QTest::newRow("fullwidth digit") << "\uFF11" << false;
        QTest::newRow("superscript two") << "\u00B2" << false;
    }

    void numericText()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QCOMPARE(IsNumericText(text), ok);
    }

    void storedText_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("stored");
        QTest::newRow("12.5") << "12.5" << "12,5";
        QTest::newRow("800") << "800" << "800";
        QTest::newRow("1,2,3 unchanged") << "1,2,3" << "1,2,3";
        QTest::newRow("1.5.2") << "1.5.2" << "1,5,2";
        QTest::newRow("ten characters") << "1.23456789" << "1,23456789";
        QTest::newRow("eleven characters") << "12345678901" << "1234567890";
        QTest::newRow("point after the tenth") << "123456789.5" << "123456789,";
        QTest::newRow("long with points") << "1.2.3.4.5.6.7" << "1,2,3,4,5,";
    }

    void storedText()
    {
        QFETCH(QString, entry);
        QFETCH(QString, stored);
        QCOMPARE(acceptedDiffText(entry), stored);
    }

    void layout()
    {
        // The controls are built at the first showing; they stand as laid out.
        dlg->show();
        QCOMPARE(dlg->size(), QSize(366, 86));
        QVERIFY(dlg->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(dlg->windowTitle(), applicationTitle());
        QCOMPARE(dlg->windowTitle(), QStringLiteral("  Kuvaro  26.01 "));
        QCOMPARE(fromQColor(dlg->palette().color(QPalette::Window)), clSilver);
        QCOMPARE(dlg->font().pixelSize(), 11);

        struct Expected
        {
            QWidget* w;
            QRect geometry;
        };
        for (const Expected& e : {Expected{dlg->Label4, QRect(26, 14, 96, 22)}, Expected{dlg->Label1, QRect(128, 14, 96, 22)},
                                  Expected{dlg->InputEdit1, QRect(26, 42, 96, 22)},
                                  Expected{dlg->UebernehmenBtn, QRect(233, 42, 97, 24)},
                                  Expected{dlg->InputEdit2, QRect(128, 42, 96, 22)},
                                  Expected{dlg->DelZeileSBtn, QRect(332, 43, 22, 22)}})
            QCOMPARE(e.w->geometry(), e.geometry);

        QCOMPARE(dlg->Label4->text(), QStringLiteral("   x1 - xo"));
        QCOMPARE(dlg->Label1->text(), QStringLiteral("   y1 - yo"));
        QCOMPARE(dlg->UebernehmenBtn->text(), QStringLiteral("Übernehmen "));
        QCOMPARE(dlg->DelZeileSBtn->text(), QStringLiteral("X"));
        for (QLabel* l : {dlg->Label4, dlg->Label1}) {
            QCOMPARE(labelColor(l), clRedBand);
            QCOMPARE(labelFontColor(l), clWhite);
            QVERIFY(l->autoFillBackground());
            QCOMPARE(l->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
            QCOMPARE(l->font().pixelSize(), 13);
        }
        for (QLineEdit* e : {dlg->InputEdit1, dlg->InputEdit2}) {
            QCOMPARE(fromQColor(e->palette().color(QPalette::Base)), clWhite);
            QCOMPARE(fromQColor(e->palette().color(QPalette::Text)), clBlack);
            QCOMPARE(e->font().pixelSize(), 13);
        }
        QCOMPARE(dlg->UebernehmenBtn->font().pixelSize(), 13);
        QVERIFY(!dlg->UebernehmenBtn->isDefault());
        QVERIFY(!dlg->UebernehmenBtn->autoDefault());
        QCOMPARE(dlg->DelZeileSBtn->focusPolicy(), Qt::NoFocus);
        QCOMPARE(fromQColor(dlg->DelZeileSBtn->palette().color(QPalette::ButtonText)), TColor(0x0000FF));
        QVERIFY(dlg->DelZeileSBtn->font().bold());
        QCOMPARE(dlg->DelZeileSBtn->font().pixelSize(), 11);
        QCOMPARE(dlg->DelZeileSBtn->toolTip(), QString());
        QCOMPARE(dlg->XdiffText, QString());
        QCOMPARE(dlg->YdiffText, QString());
        dlg->hide();
    }

    void showingTakesTheHeldTexts()
    {
        dlg->XdiffText = QStringLiteral("3");
        dlg->YdiffText = QString();
        QWidget* focus = nullptr;
        QStringList tabChain;
        run([&](TInputMessageForm* w) {
            focus = w->focusWidget();
            QTest::keyClick(w->InputEdit1, Qt::Key_Tab);
            tabChain << (w->focusWidget() ? w->focusWidget()->objectName() : QString());
            QTest::keyClick(w->focusWidget(), Qt::Key_Tab);
            tabChain << (w->focusWidget() ? w->focusWidget()->objectName() : QString());
        });
        QCOMPARE(d->entriesShown.size(), 1);
        QCOMPARE(d->entriesShown.first(), QStringList({"3", ""}));
        QCOMPARE(focus, dlg->InputEdit1);
        QCOMPARE(tabChain, QStringList({"UebernehmenBtn", "InputEdit2"}));
    }

    // One click of the accept button, from a dialog that holds "3" and "4".
    void accept_data()
    {
        QTest::addColumn<QString>("entry1");
        QTest::addColumn<QString>("entry2");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QString>("xdiff");
        QTest::addColumn<QString>("ydiff");
        QTest::addColumn<int>("messages");
        QTest::addColumn<QString>("focus");
        QTest::newRow("12.5 and 800") << "12.5" << "800" << true << "12,5" << "800" << 0 << "UebernehmenBtn";
        QTest::newRow("10 and empty") << "10" << "" << false << "10" << "4" << 0 << "UebernehmenBtn";
        QTest::newRow("empty and 5") << "" << "5" << false << "3" << "5" << 0 << "UebernehmenBtn";
        QTest::newRow("both empty") << "" << "" << false << "3" << "4" << 0 << "UebernehmenBtn";
        QTest::newRow("1a and 5") << "1a" << "5" << false << "3" << "5" << 1 << "InputEdit1";
        QTest::newRow("5 and 1a") << "5" << "1a" << false << "5" << "4" << 1 << "InputEdit2";
        QTest::newRow("a and b") << "a" << "b" << false << "3" << "4" << 2 << "InputEdit2";
        QTest::newRow("5- and 1,2,3") << "5-" << "1,2,3" << false << "3" << "1,2,3" << 1 << "InputEdit1";
        QTest::newRow("1.5.2 and -7") << "1.5.2" << "-7" << true << "1,5,2" << "-7" << 0 << "UebernehmenBtn";
        QTest::newRow("a and empty") << "a" << "" << false << "3" << "4" << 1 << "InputEdit1";
    }

    void accept()
    {
        QFETCH(QString, entry1);
        QFETCH(QString, entry2);
        QFETCH(bool, closes);
        QFETCH(int, messages);
        dlg->XdiffText = QStringLiteral("3");
        dlg->YdiffText = QStringLiteral("4");
        bool openAfterClick = false;
        QString focus, xdiff, ydiff, edit1, edit2;
        run([&](TInputMessageForm* w) {
            w->InputEdit1->setText(entry1);
            w->InputEdit2->setText(entry2);
            QTest::mouseClick(w->UebernehmenBtn, Qt::LeftButton);
            openAfterClick = w->isVisible();
            focus = w->focusWidget() ? w->focusWidget()->objectName() : QString();
            xdiff = w->XdiffText;
            ydiff = w->YdiffText;
            edit1 = w->InputEdit1->text();
            edit2 = w->InputEdit2->text();
        });
        QCOMPARE(openAfterClick, !closes);
        QTEST(xdiff, "xdiff");
        QTEST(ydiff, "ydiff");
        QTEST(focus, "focus");
        QCOMPARE(d->dialogs.messages(), QStringList(QList<QString>(messages, MsgNumber)));
        // The edits keep what was typed.
        QCOMPARE(edit1, entry1);
        QCOMPARE(edit2, entry2);
        // A close by the window system afterwards hands back what is held.
        QTEST(dlg->XdiffText, "xdiff");
        QTEST(dlg->YdiffText, "ydiff");
    }

    // Each click checks and stores both entries again.
    void secondClickStoresBothAgain()
    {
        bool openAfterFirst = false, openAfterSecond = true;
        run([&](TInputMessageForm* w) {
            w->InputEdit1->setText("10");
            QTest::mouseClick(w->UebernehmenBtn, Qt::LeftButton);
            openAfterFirst = w->isVisible();
            w->InputEdit1->setText("2.5");
            w->InputEdit2->setText("5");
            QTest::mouseClick(w->UebernehmenBtn, Qt::LeftButton);
            openAfterSecond = w->isVisible();
        });
        QVERIFY(openAfterFirst);
        QVERIFY(!openAfterSecond);
        QCOMPARE(dlg->XdiffText, QStringLiteral("2,5"));
        QCOMPARE(dlg->YdiffText, QStringLiteral("5"));
    }

    void longTextFromTheCaller()
    {
        dlg->XdiffText = QStringLiteral("1.23456789012");
        dlg->YdiffText = QString();
        QString shown;
        run([&](TInputMessageForm* w) {
            shown = w->InputEdit1->text();
            w->InputEdit2->setText("5");
            QTest::mouseClick(w->UebernehmenBtn, Qt::LeftButton);
        });
        QCOMPARE(shown, QStringLiteral("1.23456789012"));
        QCOMPARE(dlg->XdiffText, QStringLiteral("1,23456789"));
        QCOMPARE(dlg->YdiffText, QStringLiteral("5"));
    }

    void atMostSixTypedCharacters()
    {
        QString typed1, typed2;
        run([&](TInputMessageForm* w) {
            QTest::keyClicks(w->InputEdit1, QStringLiteral("1234567890"));
            QTest::keyClicks(w->InputEdit2, QStringLiteral("-1,5e7.25"));
            typed1 = w->InputEdit1->text();
            typed2 = w->InputEdit2->text();
        });
        QCOMPARE(typed1, QStringLiteral("123456"));
        QCOMPARE(typed2, QStringLiteral("-1,5e7"));
    }

    void enterAndEscapeDoNothing()
    {
        bool open = false;
        QString xdiff;
        run([&](TInputMessageForm* w) {
            w->InputEdit1->setText("1");
            w->InputEdit2->setText("2");
            w->InputEdit1->setFocus();
            QTest::keyClick(w->InputEdit1, Qt::Key_Return);
            QTest::keyClick(w->InputEdit2, Qt::Key_Enter);
            w->UebernehmenBtn->setFocus();
            QTest::keyClick(w->UebernehmenBtn, Qt::Key_Return);
            QTest::keyClick(w->UebernehmenBtn, Qt::Key_Enter);
            QTest::keyClick(w->InputEdit1, Qt::Key_Escape);
            QTest::keyClick(w, Qt::Key_Escape);
            QTest::keyClick(w, Qt::Key_Return);
            open = w->isVisible();
            xdiff = w->XdiffText;
        });
        QVERIFY(open);
        QCOMPARE(xdiff, QString());
        QCOMPARE(d->dialogs.messages(), QStringList());
    }

    void abortAnsweredJa()
    {
        TMainForm* f = d->form;
        d->load();
        d->right(100, 400);
        d->right(700, 380);
        QCOMPARE(f->CalibStep, 2);
        dlg->XdiffText = QStringLiteral("7");
        dlg->YdiffText = QStringLiteral("8");
        bool open = true;
        run([&](TInputMessageForm* w) {
            w->InputEdit1->setText("10");
            QTest::mouseClick(w->UebernehmenBtn, Qt::LeftButton);
            d->dialogs.then(DialogScript::clickJa());
            QTest::mouseClick(w->DelZeileSBtn, Qt::LeftButton);
            open = w->isVisible();
        });
        QVERIFY(!open);
        QCOMPARE(d->dialogs.messages(), QStringList{MsgAbort});
        QCOMPARE(f->CalibStep, 0);
        QCOMPARE(f->XoLabel->text(), QString());
        QCOMPARE(f->Label4->text(), PromptOrigin);
        QVERIFY(f->Image1->Picture == d->picture);
        // The held texts are left as they are: the accepted "10" and the former "8".
        QCOMPARE(dlg->XdiffText, QStringLiteral("10"));
        QCOMPARE(dlg->YdiffText, QStringLiteral("8"));
    }

    void abortAnsweredNein()
    {
        TMainForm* f = d->form;
        d->load();
        d->right(100, 400);
        bool open = false;
        run([&](TInputMessageForm* w) {
            d->dialogs.then(DialogScript::clickNein());
            QTest::mouseClick(w->DelZeileSBtn, Qt::LeftButton);
            open = w->isVisible();
        });
        QVERIFY(open);
        QCOMPARE(d->dialogs.messages(), QStringList{MsgAbort});
        QCOMPARE(f->CalibStep, 1);
        QCOMPARE(f->XoLabel->text(), QStringLiteral("100"));
        QCOMPARE(dlg->XdiffText, QString());
    }
};

KUVARO_TEST_MAIN(TestInputMessage)
#include "tst_inputmessage.moc"
