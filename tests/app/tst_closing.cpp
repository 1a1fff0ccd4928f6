// Closing the main window by "Beenden" or through the frame: the save question
// for unsaved points, and a failing save that keeps the window open.

#include "app/Main.h"
#include "common/FormDriver.h"
#include "common/ProgramTexts.h"
#include "common/TestMain.h"
#include "dialogs/Zeigenachricht.h"

#include <QFile>
#include <QLabel>
#include <QToolButton>

using namespace kuvaro;
using namespace kuvaro::test;

class TestClosing : public QObject
{
    Q_OBJECT

    std::unique_ptr<FormDriver> d;
    TMainForm* form = nullptr;

    // Loads a white picture, calibrates with three right presses (the
    // differences already entered, so no input dialog comes up) and captures
    // points with the left button, as the user does.
    void capture(int points)
    {
        if (form->PictureEmpty()) {
            QImage picture(400, 300, QImage::Format_RGB32);
            picture.fill(Qt::white);
            form->SetPicture(picture, d->folder.filePath(QStringLiteral("diagramm.bmp")));
            form->XdiffLabel->setText(QStringLiteral("10"));
            form->YdiffLabel->setText(QStringLiteral("10"));
            form->Image1MouseDown(Qt::RightButton, Qt::RightButton, 20, 200);
            form->Image1MouseDown(Qt::RightButton, Qt::RightButton, 220, 200);
            form->Image1MouseDown(Qt::RightButton, Qt::RightButton, 20, 20);
        }
        const int before = form->PointRowCount();
        for (int i = 0; i < points; ++i)
            form->Image1MouseDown(Qt::LeftButton, Qt::LeftButton, 40 + 10 * (before + i), 150 - 3 * (before + i));
    }

    void clickBeenden() { QTest::mouseClick(form->CloseSBtn, Qt::LeftButton); }

    // Saves through "Ergebnis speichern" into the test folder.
    void save(const QString& name)
    {
        d->dialogs.then(DialogScript::typeFileName(d->folder.filePath(name))).then(DialogScript::clickNein());
        QTest::mouseClick(form->ErgSpeichernSBtn, Qt::LeftButton);
        QCOMPARE(d->dialogs.takeSeen().size(), 2);
    }

private Q_SLOTS:
    void init()
    {
        FormDriver::start(d);
        form = d->form;
    }

    void cleanup() { FormDriver::finish(d); }

    void captureSetsTheFlag()
    {
        capture(3);
        QCOMPARE(form->PointRowCount(), 3);
        QCOMPARE(form->PointsUnsaved, 1);
    }

    void emptyListClosesWithoutQuestion()
    {
        form->PointsUnsaved = 1; // points captured and then cleared
        clickBeenden();
        QCOMPARE(d->dialogs.seen, QStringList());
        QVERIFY(!form->isVisible());
    }

    void answers_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("points");
        QTest::newRow("Nein") << QStringLiteral("nein") << 2;
        QTest::newRow("close box") << QStringLiteral("close") << 2;
        QTest::newRow("Nein, a single point") << QStringLiteral("nein") << 1;
    }

    void answers()
    {
        // Only "Nein" closes without saving; a question closed without an answer keeps the points.
        QFETCH(QString, how);
        QFETCH(int, points);
        capture(points);
        const bool nein = how == QLatin1String("nein");
        d->dialogs.then(nein ? DialogScript::clickNein() : DialogScript::closeBox());
        clickBeenden();
        QCOMPARE(d->dialogs.seen, QStringList{SaveQuestion});
        QCOMPARE(form->isVisible(), !nein);
        QCOMPARE(form->MessageAnswer, nein ? int(AnswerNein) : int(AnswerNone));
        QCOMPARE(form->PointRowCount(), points);
        QCOMPARE(form->PointsUnsaved, 1);
    }

    void jaThenCancelKeepsThePoints()
    {
        capture(2);
        d->dialogs.then(DialogScript::clickJa()).then(DialogScript::cancelFile());
        clickBeenden();
        QCOMPARE(d->dialogs.seen, (QStringList{SaveQuestion, SaveDialog}));
        QVERIFY(form->isVisible());
        QCOMPARE(d->files(), QStringList());
        QCOMPARE(form->PointRowCount(), 2);
        QCOMPARE(form->PointsUnsaved, 1);
        // The next "Beenden" asks again.
        d->dialogs.then(DialogScript::clickNein());
        clickBeenden();
        QCOMPARE(d->dialogs.takeSeen(), (QStringList{SaveQuestion, SaveDialog, SaveQuestion}));
        QVERIFY(!form->isVisible());
    }

    void jaThenSaveClosesWithTheFile()
    {
        capture(3);
        d->dialogs.then(DialogScript::clickJa())
            .then(DialogScript::typeFileName(d->folder.filePath(QStringLiteral("ende"))))
            .then(DialogScript::clickNein());
        clickBeenden();
        QCOMPARE(d->dialogs.seen,
                 (QStringList{SaveQuestion, SaveDialog,
                              QStringLiteral("message: Die Grafik-Koordinaten wurden als CSV-Datei ende.csv gespeichert !")}));
        QVERIFY(!form->isVisible());
        QCOMPARE(d->files(), QStringList{QStringLiteral("ende.csv")});
        QFile file(d->folder.filePath(QStringLiteral("ende.csv")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count("\r\n"), 3 + 7);
    }

    void noQuestionAfterASave()
    {
        capture(3);
        save(QStringLiteral("messung.csv"));
        clickBeenden();
        QCOMPARE(d->dialogs.seen, QStringList());
        QVERIFY(!form->isVisible());
    }

    void noQuestionAfterASaveAndAStepBack()
    {
        capture(3);
        save(QStringLiteral("messung.csv"));
        form->BackStepSBtnClick();
        QCOMPARE(form->PointRowCount(), 2);
        clickBeenden();
        QCOMPARE(d->dialogs.seen, QStringList());
        QVERIFY(!form->isVisible());
    }

    void cancelledSaveSilencesTheQuestionUntilTheNextCapture()
    {
        capture(2);
        d->dialogs.then(DialogScript::cancelFile());
        QTest::mouseClick(form->ErgSpeichernSBtn, Qt::LeftButton);
        QCOMPARE(d->dialogs.takeSeen(), QStringList{SaveDialog});
        QCOMPARE(form->PointsUnsaved, 0);
        capture(1);
        d->dialogs.then(DialogScript::clickNein());
        clickBeenden();
        QCOMPARE(d->dialogs.seen, QStringList{SaveQuestion});
        QVERIFY(!form->isVisible());
    }

    void frameCloseAsksTheSameQuestion()
    {
        capture(2);
        d->dialogs.then(DialogScript::clickNein());
        QVERIFY(form->close());
        QCOMPARE(d->dialogs.seen, QStringList{SaveQuestion});
        QVERIFY(!form->isVisible());
    }

    void frameCloseWithoutUnsavedPoints()
    {
        capture(2);
        save(QStringLiteral("messung.csv"));
        QVERIFY(form->close());
        QCOMPARE(d->dialogs.seen, QStringList());
    }

    void failingSaveKeepsTheWindowOpen_data()
    {
        QTest::addColumn<bool>("byFrame");
        QTest::newRow("Beenden") << false;
        QTest::newRow("frame") << true;
    }

    void failingSaveKeepsTheWindowOpen()
    {
        QFETCH(bool, byFrame);
        capture(2);
        const QString path = d->folder.filePath(QStringLiteral("fehlt/messung.csv"));
        d->dialogs.then(DialogScript::clickJa())
            .then(DialogScript::typeFileName(path))
            .then(DialogScript::okMessageBox());
        if (byFrame)
            QVERIFY(!form->close());
        else
            clickBeenden();
        const QStringList seen = d->dialogs.takeSeen();
        QCOMPARE(seen.size(), 3);
        QCOMPARE(seen[0], SaveQuestion);
        QCOMPARE(seen[1], SaveDialog);
        QVERIFY2(seen[2].startsWith(QStringLiteral("error: Datei \"%1\" kann nicht erstellt werden. ").arg(path)),
                 qPrintable(seen[2]));
        QVERIFY(form->isVisible());
        QCOMPARE(form->PointsUnsaved, 1);

        // The points are still unsaved, so the next attempt asks again.
        d->dialogs.then(DialogScript::clickNein());
        clickBeenden();
        QCOMPARE(d->dialogs.seen, QStringList{SaveQuestion});
        QVERIFY(!form->isVisible());
    }
};

KUVARO_TEST_MAIN(TestClosing)
#include "tst_closing.moc"
