// The error box: failures of a guarded handler, and those reaching the
// application object's last resort, are shown and the program goes on; and the
// toolkit's own texts come out German.

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "core/Errors.h"
#include "common/DialogScript.h"
#include "common/TestMain.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace kuvaro;
using kuvaro::test::DialogScript;

class TestErrorBox : public QObject
{
    Q_OBJECT

    struct Seen
    {
        QString caption, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int buttons = 0;
        QString buttonText;
    };

    // Records what a message box showed and answers it with OK.
    static DialogScript::Step record(Seen& seen)
    {
        return [&seen](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                seen.caption = box->windowTitle();
                seen.text = box->text();
                seen.icon = box->icon();
                seen.buttons = int(box->buttons().size());
                seen.buttonText = box->buttons().value(0) ? box->buttons().value(0)->text() : QString();
            }
            DialogScript::okMessageBox()(w);
        };
    }

private Q_SLOTS:
    void initTestCase() { setApplicationTitle(QStringLiteral("  Kuvaro  26.01 ")); }

    void fullStop_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("letter") << "Bitmap ist ungültig" << "Bitmap ist ungültig.";
        QTest::newRow("digit") << "Fehler 5" << "Fehler 5.";
        QTest::newRow("umlaut") << "Fläche" << "Fläche.";
        QTest::newRow("exclamation") << "abgebrochen !" << "abgebrochen !";
        QTest::newRow("bracket") << "(x)" << "(x)";
        QTest::newRow("full stop") << "Ende." << "Ende.";
        QTest::newRow("comma sorts below") << "a," << "a,";
        QTest::newRow("slash sorts above") << "a/" << "a/.";
        QTest::newRow("quote") << "'1,2,3' ist kein gültiger Gleitkommawert"
                               << "'1,2,3' ist kein gültiger Gleitkommawert.";
        QTest::newRow("trailing blank") << "Text " << "Text ";
    }
    void fullStop()
    {
        QFETCH(QString, text);
        QTEST(withFullStop(text), "shown");
    }

    void failureInHandlerShowsBoxAndGoesOn()
    {
        QPushButton button;
        int runs = 0;
        QObject::connect(&button, &QPushButton::clicked, [&runs] {
            guarded([&runs] {
                ++runs;
                throw KuvaroError(QStringLiteral("Bitmap ist ungültig"));
            });
        });
        DialogScript script;
        Seen seen;
        script.then(record(seen));
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(runs, 1);
        QCOMPARE(seen.caption, QStringLiteral("  Kuvaro  26.01 "));
        QCOMPARE(seen.text, QStringLiteral("Bitmap ist ungültig."));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.buttons, 1);

        // The program goes on: the next event is handled again.
        Seen again;
        script.then(record(again));
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(runs, 2);
        QCOMPARE(again.text, QStringLiteral("Bitmap ist ungültig."));
        QCOMPARE(script.seen.size(), 2);
    }

    void foreignFailureShowsItsMessage()
    {
        QPushButton button;
        QObject::connect(&button, &QPushButton::clicked,
                         [] { guarded([] { throw std::runtime_error("disk on fire"); }); });
        DialogScript script;
        Seen seen;
        script.then(record(seen));
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(seen.text, QStringLiteral("disk on fire."));
    }

    void silentAbortShowsNothing()
    {
        QPushButton button;
        bool after = false;
        QObject::connect(&button, &QPushButton::clicked, [&after] {
            guarded([&after] {
                throw SilentAbort();
                after = true; // never reached
            });
        });
        // Should a box appear anyway, the script closes it so the test fails instead of hanging.
        DialogScript script;
        // A box would be shown inside the click's handling, so it would have been recorded by now.
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(script.seen, QStringList());
        QVERIFY(!after);
    }

    void unguardedFailureReachesTheLastResort()
    {
        // Thrown straight from an event handler, past no widget code, so
        // nothing of Qt's delivery is skipped on the way to notify's catch.
        struct Thrower : QObject
        {
            bool event(QEvent* e) override
            {
                if (e->type() == QEvent::User)
                    throw KuvaroError(QStringLiteral("Datei fehlt"));
                return QObject::event(e);
            }
        } thrower;
        DialogScript script;
        Seen seen;
        script.then(record(seen));
        QEvent event(QEvent::User);
        QVERIFY(!QCoreApplication::sendEvent(&thrower, &event));
        QCOMPARE(seen.caption, QStringLiteral("  Kuvaro  26.01 "));
        QCOMPARE(seen.text, QStringLiteral("Datei fehlt."));
        QCOMPARE(script.seen.size(), 1);
    }

    void messageBoxButtonsAreGerman()
    {
        QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("x"),
                        QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
        auto text = [&box](QMessageBox::StandardButton b) { return box.button(b)->text().remove(u'&'); };
        QCOMPARE(text(QMessageBox::Cancel), QStringLiteral("Abbrechen"));
        QCOMPARE(text(QMessageBox::Yes), QStringLiteral("Ja"));
        QCOMPARE(text(QMessageBox::No), QStringLiteral("Nein"));
        QCOMPARE(text(QMessageBox::Ok), QStringLiteral("OK"));
    }

    void fileDialogButtonsAreGerman_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("accept");
        QTest::newRow("open") << int(QFileDialog::AcceptOpen) << "Ö&ffnen";
        QTest::newRow("save") << int(QFileDialog::AcceptSave) << "S&peichern";
    }
    void fileDialogButtonsAreGerman()
    {
        QFETCH(int, mode);
        QFETCH(QString, accept);
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptMode(mode));
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        QVERIFY(buttons);
        QStringList texts;
        for (QAbstractButton* b : buttons->buttons())
            texts << b->text().remove(u'&');
        QVERIFY2(texts.contains(accept.remove(u'&')), qPrintable(texts.join(u'|')));
        QVERIFY2(texts.contains(QStringLiteral("Abbrechen")), qPrintable(texts.join(u'|')));
    }
};

KUVARO_TEST_MAIN(TestErrorBox)
#include "tst_errorbox.moc"
