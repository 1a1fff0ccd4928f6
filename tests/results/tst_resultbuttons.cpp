// "Fläche berechnen" and "Ergebnis speichern" on the main window, with the
// program's message dialog, the real save dialog and the error box answered
// by the driver's dialog script.

#include "app/Main.h"
#include "common/FormDriver.h"
#include "common/ProgramTexts.h"
#include "common/TestMain.h"
#include "results/ResultSamples.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QToolButton>

using namespace kuvaro;
using namespace kuvaro::test;

namespace {

const QString AreaPrefix = QStringLiteral("message: Die Fläche zwischen digitalisierter Polygonlinie und X-Achse beträgt  ");
const QString TooFew =
    QStringLiteral("message: Für eine Flächenberechnung sind mind. 2 digitalisierte Punkte erforderlich !");

QString savedMessage(const QString& name)
{
    return QStringLiteral("message: Die Grafik-Koordinaten wurden als CSV-Datei %1 gespeichert !").arg(name);
}

} // namespace

Q_DECLARE_METATYPE(CsvPoints)

class TestResultButtons : public QObject
{
    Q_OBJECT

    std::unique_ptr<FormDriver> d;
    TMainForm* form = nullptr;

    void addRows(const CsvPoints& rows)
    {
        for (const CsvPoint& r : rows)
            form->AppendPointRow({r.nr, r.x, r.y, QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")});
        form->PointsUnsaved = 1;
    }

    // Through the event loop's error handling, as a user's click goes.
    void click(QToolButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    QString inFolder(const QString& name) const { return d->folder.filePath(name); }

private Q_SLOTS:
    void init()
    {
        FormDriver::start(d);
        form = d->form;
    }

    void cleanup() { FormDriver::finish(d); }

    // ------------------------------------------------------ Fläche berechnen

    void area_data()
    {
        QTest::addColumn<CsvPoints>("rows");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty list") << CsvPoints{} << TooFew;
        QTest::newRow("one point") << CsvPoints{{"1", "   1,0", "   2,0"}} << TooFew;
        QTest::newRow("worked example") << WorkedExample << AreaPrefix + QStringLiteral("130.0");
        QTest::newRow("reversed") << CsvPoints{WorkedExample[2], WorkedExample[1], WorkedExample[0]}
                                  << AreaPrefix + QStringLiteral("-130.0");
        QTest::newRow("one trapezoid") << CsvPoints{{"1", "   0,0", "   4,0"}, {"2", "   3,0", "   2,0"}}
                                       << AreaPrefix + QStringLiteral("9.0");
        QTest::newRow("below the axis") << CsvPoints{{"1", "   0,0", "  -2,0"}, {"2", "   4,0", "  -2,0"}}
                                        << AreaPrefix + QStringLiteral("-8.0");
    }

    void area()
    {
        QFETCH(CsvPoints, rows);
        QFETCH(QString, message);
        addRows(rows);
        form->PointsUnsaved = 0;
        d->dialogs.then(DialogScript::clickNein());
        click(form->BerechneSBtn);
        QCOMPARE(d->dialogs.seen, QStringList{message});
        QCOMPARE(form->PointRowCount(), rows.size());
        // Computing changes no state.
        QCOMPARE(form->PointsUnsaved, 0);
    }

    void areaWithABadTextGoesToTheErrorBox()
    {
        addRows({{"1", "   0,0", "   5,0"}, {"2", "  10,0", "sieben"}, {"3", "zwanzig", "   6,0"}});
        d->dialogs.then(DialogScript::okMessageBox());
        click(form->BerechneSBtn);
        // The first bad text in reading order, the full stop from the error box, and no area message.
        QCOMPARE(d->dialogs.seen, QStringList{QStringLiteral("error: 'sieben' ist kein gültiger Gleitkommawert.")});
    }

    void areaBeyondTheRangeGoesToTheErrorBox()
    {
        addRows({{"1", "   0,0", "1E308"}, {"2", "   2,0", "1E308"}});
        d->dialogs.then(DialogScript::okMessageBox());
        click(form->BerechneSBtn);
        QCOMPARE(d->dialogs.seen,
                 QStringList{QStringLiteral("error: Die Fläche übersteigt den darstellbaren Zahlenbereich.")});
    }

    // ---------------------------------------------------- Ergebnis speichern

    void emptyList()
    {
        form->PointsUnsaved = 1;
        d->dialogs.then(DialogScript::clickNein());
        click(form->ErgSpeichernSBtn);
        QCOMPARE(d->dialogs.seen, QStringList{QStringLiteral("message: Die Koordinaten-Liste ist leer !")});
        QCOMPARE(form->PointsUnsaved, 1);
    }

    void saveWorkedExample()
    {
        addRows(WorkedExample);
        const QString path = inFolder(QStringLiteral("messung.csv"));
        QString proposed = QStringLiteral("(not shown)");
        d->dialogs.then(DialogScript::typeFileName(path, &proposed)).then(DialogScript::clickNein());
        click(form->ErgSpeichernSBtn);
        // The message names the file without its folder.
        QCOMPARE(d->dialogs.seen, (QStringList{SaveDialog, savedMessage(QStringLiteral("messung.csv"))}));
        QCOMPARE(proposed, QString()); // nothing proposed at the first export
        QCOMPARE(readAll(path), WorkedExampleBytes);
        QCOMPARE(form->ResultLines.size(), 10);
        QCOMPARE(form->PointsUnsaved, 0);
        QCOMPARE(d->files(), QStringList{QStringLiteral("messung.csv")});
    }

    void saveDialogSetUp()
    {
        addRows(WorkedExample);
        QString title, suffix;
        QStringList filters;
        bool saveMode = false, noOverwriteQuestion = false;
        d->dialogs.then([&](QWidget* w) {
            auto* f = qobject_cast<QFileDialog*>(w);
            if (f) {
                title = f->windowTitle();
                suffix = f->defaultSuffix();
                filters = f->nameFilters();
                saveMode = f->acceptMode() == QFileDialog::AcceptSave;
                noOverwriteQuestion = f->testOption(QFileDialog::DontConfirmOverwrite);
            }
            DialogScript::dismiss(w);
        });
        click(form->ErgSpeichernSBtn);
        QCOMPARE(title, QStringLiteral("Speichern als"));
        QCOMPARE(suffix, QStringLiteral("csv"));
        QCOMPARE(filters, QStringList{QStringLiteral("csv files (*.csv)")});
        QVERIFY(saveMode);
        QVERIFY(noOverwriteQuestion);
    }

    void nameWithoutExtensionGetsCsv()
    {
        addRows(WorkedExample);
        d->dialogs.then(DialogScript::typeFileName(inFolder(QStringLiteral("messung"))))
            .then(DialogScript::clickNein());
        click(form->ErgSpeichernSBtn);
        QCOMPARE(d->dialogs.seen, (QStringList{SaveDialog, savedMessage(QStringLiteral("messung.csv"))}));
        QCOMPARE(d->files(), QStringList{QStringLiteral("messung.csv")});
        QCOMPARE(readAll(inFolder(QStringLiteral("messung.csv"))), WorkedExampleBytes);
    }

    void cancelledDialog()
    {
        addRows(WorkedExample);
        d->dialogs.then(DialogScript::cancelFile());
        click(form->ErgSpeichernSBtn);
        QCOMPARE(d->dialogs.seen, QStringList{SaveDialog});
        QCOMPARE(form->PointsUnsaved, 0);
        QCOMPARE(d->files(), QStringList());
    }

    void remembersTheLastConfirmedNameAndReplacesTheFile()
    {
        addRows(WorkedExample);
        const QString path = inFolder(QStringLiteral("messung.csv"));
        d->dialogs.then(DialogScript::typeFileName(path)).then(DialogScript::clickNein());
        click(form->ErgSpeichernSBtn);
        QCOMPARE(d->dialogs.takeSeen().size(), 2);
        // A cancelled run in between does not make the dialog forget.
        d->dialogs.then(DialogScript::cancelFile());
        click(form->ErgSpeichernSBtn);
        d->dialogs.takeSeen();
        form->RemoveLastPointRow();
        QString proposed;
        QString proposedDir;
        d->dialogs.then(DialogScript::acceptProposal(&proposed, &proposedDir)).then(DialogScript::clickNein());
        click(form->ErgSpeichernSBtn);
        // No overwrite question comes in between.
        QCOMPARE(d->dialogs.seen, (QStringList{SaveDialog, savedMessage(QStringLiteral("messung.csv"))}));
        // The dialog comes up with the file of the last confirmed save.
        QCOMPARE(QFileInfo(QDir(proposedDir), proposed).absoluteFilePath(), QFileInfo(path).absoluteFilePath());
        // The two-point file replaces the three-point file completely.
        const QByteArray twoPoints = QByteArray("\xEF\xBB\xBF;\r\nProgramm kuvaro1\r\n;\r\n;\r\n"
                                                "Nr.;x-Koord;y-Koord;Einzel-Fl\xC3\xA4"
                                                "chen;\r\n"
                                                "1;   0,0;   5,0;;\r\n"
                                                "2;  10,0;   7,5;=(B7-B6)*(C7+C6)/2;\r\n"
                                                ";\r\n;Fl\xC3\xA4"
                                                "chensumme;;=Summe(d6:d7);\r\n");
        QCOMPARE(readAll(path), twoPoints);
        QCOMPARE(d->files(), QStringList{QStringLiteral("messung.csv")});
    }

    void longTextsInTheFile()
    {
        addRows({{"12345678901", "-12345678,9", "   1,0"}, {"2", "   3,0", "-98765432,1"}});
        const QString path = inFolder(QStringLiteral("lang.csv"));
        d->dialogs.then(DialogScript::typeFileName(path)).then(DialogScript::clickNein());
        click(form->ErgSpeichernSBtn);
        const QList<QByteArray> lines = readAll(path).split('\n');
        QCOMPARE(lines.value(5), QByteArray("1234567890;-12345678,9;   1,0;;\r"));
        QCOMPARE(lines.value(6), QByteArray("2;   3,0;-98765432,1;=(B7-B6)*(C7+C6)/2;\r"));
    }

    void failingSaveShowsTheErrorBoxAndKeepsTheFlag()
    {
        addRows(WorkedExample);
        const QString path = inFolder(QStringLiteral("fehlt/messung.csv"));
        d->dialogs.then(DialogScript::typeFileName(path)).then(DialogScript::okMessageBox());
        click(form->ErgSpeichernSBtn);
        const QStringList& seen = d->dialogs.seen;
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0], SaveDialog);
        const QString head = QStringLiteral("error: Datei \"%1\" kann nicht erstellt werden. ").arg(path);
        QVERIFY2(seen[1].startsWith(head), qPrintable(seen[1]));
        QVERIFY(seen[1].size() > head.size() + 1);
        QVERIFY(seen[1].endsWith(u'.'));
        QCOMPARE(form->PointsUnsaved, 1);
        QCOMPARE(d->files(), QStringList());
    }

    void nonFiniteValueIsNotSaved()
    {
        addRows({{"1", "   0,0", "   5,0"}, {"2", "   inf", "   7,5"}});
        const QString path = inFolder(QStringLiteral("messung.csv"));
        d->dialogs.then(DialogScript::typeFileName(path)).then(DialogScript::okMessageBox());
        click(form->ErgSpeichernSBtn);
        QCOMPARE(d->dialogs.seen,
                 (QStringList{SaveDialog, QStringLiteral("error: Der Wert '   inf' ist nicht endlich und kann nicht "
                                                         "gespeichert werden.")}));
        QCOMPARE(form->PointsUnsaved, 1);
        QCOMPARE(d->files(), QStringList());
    }

    void failingPartWayKeepsTheEarlierFile()
    {
        addRows(WorkedExample);
        const QString path = inFolder(QStringLiteral("messung.csv"));
        {
            QFile earlier(path);
            QVERIFY(earlier.open(QIODevice::WriteOnly));
            earlier.write("frueher");
        }
        {
            // The file may not grow beyond 100 bytes: the 196 bytes stop part-way.
            FileSizeLimit limit(100);
            QVERIFY(limit.active());
            d->dialogs.then(DialogScript::typeFileName(path)).then(DialogScript::okMessageBox());
            click(form->ErgSpeichernSBtn);
        }
        const QStringList& seen = d->dialogs.seen;
        QCOMPARE(seen.size(), 2);
        QVERIFY2(seen[1].startsWith(QStringLiteral("error: Datei \"%1\" kann nicht erstellt werden. ").arg(path)),
                 qPrintable(seen[1]));
        QCOMPARE(readAll(path), QByteArray("frueher"));
        QCOMPARE(d->files(), QStringList{QStringLiteral("messung.csv")});
        QCOMPARE(form->PointsUnsaved, 1);
    }
};

KUVARO_TEST_MAIN(TestResultButtons)
#include "tst_resultbuttons.moc"
