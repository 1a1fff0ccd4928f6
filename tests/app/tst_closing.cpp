// Closing the main window by "Beenden" or through the frame: the save question
// for unsaved points, and a failing save that keeps the window open.

#include "app/Main.h"
#include "app/Startup.h"
#include "common/TestMain.h"
#include "dialogs/Zeigenachricht.h"
#include "results/DialogScript.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QToolButton>

using namespace kuvaro;
using kuvaro::test::DialogScript;

namespace {

const QString Question = QStringLiteral("question: Sollen die digitalisierten Punkte gespeichert werden ?");
const QString SaveDialog = QStringLiteral("file: Speichern als");

} // namespace

class TestClosing : public QObject
{
    Q_OBJECT

    Forms forms;
    TMainForm* form = nullptr;
    std::unique_ptr<QTemporaryDir> dir;

    // Loads a white picture, calibrates with three right presses (the
    // differences already entered, so no input dialog comes up) and captures
    // points with the left button, as the user does.
    void capture(int points)
    {
        if (form->PictureEmpty()) {
            QImage picture(400, 300, QImage::Format_RGB32);
            picture.fill(Qt::white);
            form->SetPicture(picture, dir->filePath(QStringLiteral("diagramm.bmp")));
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
        DialogScript script;
        script.then(DialogScript::saveAs(dir->filePath(name))).then(DialogScript::clickNein());
        QTest::mouseClick(form->ErgSpeichernSBtn, Qt::LeftButton);
        QCOMPARE(script.seen.size(), 2);
    }

    QStringList files() const
    {
        return QDir(dir->path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void init()
    {
        forms = createForms();
        form = forms.mainForm.get();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
    }

    void cleanup()
    {
        forms = Forms();
        form = nullptr;
        dir.reset();
    }

    void captureSetsTheFlag()
    {
        capture(3);
        QCOMPARE(form->PointRowCount(), 3);
        QCOMPARE(form->PointsUnsaved, 1);
    }

    void emptyListClosesWithoutQuestion()
    {
        form->PointsUnsaved = 1; // points captured and then cleared
        DialogScript script;
        clickBeenden();
        QCOMPARE(script.seen, QStringList());
        QVERIFY(!form->isVisible());
    }

    void answers_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Nein") << QStringLiteral("nein");
        QTest::newRow("close box") << QStringLiteral("close");
    }

    void answers()
    {
        // Every answer but "Ja" closes without saving.
        QFETCH(QString, how);
        capture(2);
        DialogScript script;
        script.then(how == QLatin1String("nein") ? DialogScript::clickNein() : DialogScript::closeBox());
        clickBeenden();
        QCOMPARE(script.seen, QStringList{Question});
        QVERIFY(!form->isVisible());
        QCOMPARE(form->MessageAnswer, how == QLatin1String("nein") ? int(AnswerNein) : int(AnswerNone));
    }

    void jaThenCancelClosesWithoutFile()
    {
        capture(2);
        DialogScript script;
        script.then(DialogScript::clickJa()).then(DialogScript::cancelFile());
        clickBeenden();
        QCOMPARE(script.seen, (QStringList{Question, SaveDialog}));
        QVERIFY(!form->isVisible());
        QCOMPARE(files(), QStringList());
    }

    void jaThenSaveClosesWithTheFile()
    {
        capture(3);
        DialogScript script;
        script.then(DialogScript::clickJa())
            .then(DialogScript::saveAs(dir->filePath(QStringLiteral("ende"))))
            .then(DialogScript::clickNein());
        clickBeenden();
        QCOMPARE(script.seen,
                 (QStringList{Question, SaveDialog,
                              QStringLiteral("message: Die Grafik-Koordinaten wurden als CSV-Datei ende.csv gespeichert !")}));
        QVERIFY(!form->isVisible());
        QCOMPARE(files(), QStringList{QStringLiteral("ende.csv")});
        QFile file(dir->filePath(QStringLiteral("ende.csv")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count("\r\n"), 3 + 7);
    }

    void noQuestionAfterASave()
    {
        capture(3);
        save(QStringLiteral("messung.csv"));
        DialogScript script;
        clickBeenden();
        QCOMPARE(script.seen, QStringList());
        QVERIFY(!form->isVisible());
    }

    void noQuestionAfterASaveAndAStepBack()
    {
        capture(3);
        save(QStringLiteral("messung.csv"));
        form->BackStepSBtnClick();
        QCOMPARE(form->PointRowCount(), 2);
        DialogScript script;
        clickBeenden();
        QCOMPARE(script.seen, QStringList());
        QVERIFY(!form->isVisible());
    }

    void cancelledSaveSilencesTheQuestionUntilTheNextCapture()
    {
        capture(2);
        {
            DialogScript script;
            script.then(DialogScript::cancelFile());
            QTest::mouseClick(form->ErgSpeichernSBtn, Qt::LeftButton);
            QCOMPARE(script.seen, QStringList{SaveDialog});
        }
        QCOMPARE(form->PointsUnsaved, 0);
        capture(1);
        DialogScript script;
        script.then(DialogScript::clickNein());
        clickBeenden();
        QCOMPARE(script.seen, QStringList{Question});
        QVERIFY(!form->isVisible());
    }

    void frameCloseAsksTheSameQuestion()
    {
        capture(2);
        DialogScript script;
        script.then(DialogScript::clickNein());
        QVERIFY(form->close());
        QCOMPARE(script.seen, QStringList{Question});
        QVERIFY(!form->isVisible());
    }

    void frameCloseWithoutUnsavedPoints()
    {
        capture(2);
        save(QStringLiteral("messung.csv"));
        DialogScript script;
        QVERIFY(form->close());
        QCOMPARE(script.seen, QStringList());
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
        const QString path = dir->filePath(QStringLiteral("fehlt/messung.csv"));
        {
            DialogScript script;
            script.then(DialogScript::clickJa()).then(DialogScript::saveAs(path)).then(DialogScript::okError());
            if (byFrame)
                QVERIFY(!form->close());
            else
                clickBeenden();
            QCOMPARE(script.seen.size(), 3);
            QCOMPARE(script.seen[0], Question);
            QCOMPARE(script.seen[1], SaveDialog);
            QVERIFY2(
                script.seen[2].startsWith(QStringLiteral("error: Datei \"%1\" kann nicht erstellt werden. ").arg(path)),
                qPrintable(script.seen[2]));
        }
        QVERIFY(form->isVisible());
        QCOMPARE(form->PointsUnsaved, 1);

        // The points are still unsaved, so the next attempt asks again.
        DialogScript again;
        again.then(DialogScript::clickNein());
        clickBeenden();
        QCOMPARE(again.seen, QStringList{Question});
        QVERIFY(!form->isVisible());
    }
};

KUVARO_TEST_MAIN(TestClosing)
#include "tst_closing.moc"
