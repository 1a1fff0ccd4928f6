// "Fläche berechnen" and "Ergebnis speichern" on the main window, with the
// program's message dialog, the real save dialog and the error box answered
// from timers.

#include "app/Main.h"
#include "app/Startup.h"
#include "common/TestMain.h"
#include "dialogs/Zeigenachricht.h"
#include "results/DialogScript.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QToolButton>

#include <csignal>
#include <sys/resource.h>

using namespace kuvaro;
using kuvaro::test::DialogScript;

namespace {

struct Row
{
    const char* nr;
    const char* x;
    const char* y;
};
using Rows = QList<Row>;

const Rows WorkedExample = {{"1", "   0,0", "   5,0"}, {"2", "  10,0", "   7,5"}, {"3", "  20,0", "   6,0"}};

const QByteArray WorkedExampleBytes = QByteArray("\xEF\xBB\xBF;\r\nProgramm kuvaro1\r\n;\r\n;\r\n"
                                                 "Nr.;x-Koord;y-Koord;Einzel-Fl\xC3\xA4"
                                                 "chen;\r\n"
                                                 "1;   0,0;   5,0;;\r\n"
                                                 "2;  10,0;   7,5;=(B7-B6)*(C7+C6)/2;\r\n"
                                                 "3;  20,0;   6,0;=(B8-B7)*(C8+C7)/2;\r\n"
                                                 ";\r\n;Fl\xC3\xA4"
                                                 "chensumme;;=Summe(d6:d8);\r\n");

const QString AreaPrefix = QStringLiteral("message: Die Fläche zwischen digitalisierter Polygonlinie und X-Achse beträgt  ");
const QString TooFew =
    QStringLiteral("message: Für eine Flächenberechnung sind mind. 2 digitalisierte Punkte erforderlich !");
const QString SaveDialog = QStringLiteral("file: Speichern als");

QString savedMessage(const QString& name)
{
    return QStringLiteral("message: Die Grafik-Koordinaten wurden als CSV-Datei %1 gespeichert !").arg(name);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

} // namespace

Q_DECLARE_METATYPE(Rows)

class TestResultButtons : public QObject
{
    Q_OBJECT

    Forms forms;
    TMainForm* form = nullptr;
    std::unique_ptr<QTemporaryDir> dir;

    void addRows(const Rows& rows)
    {
        for (const Row& r : rows)
            form->AppendPointRow({QString::fromUtf8(r.nr), QString::fromUtf8(r.x), QString::fromUtf8(r.y),
                                  QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")});
        form->PointsUnsaved = 1;
    }

    // Through the event loop's error handling, as a user's click goes.
    void click(QToolButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    QStringList files() const { return QDir(dir->path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot); }

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

    // ------------------------------------------------------ Fläche berechnen

    void area_data()
    {
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty list") << Rows{} << TooFew;
        QTest::newRow("one point") << Rows{{"1", "   1,0", "   2,0"}} << TooFew;
        QTest::newRow("worked example") << WorkedExample << AreaPrefix + QStringLiteral("130.0");
        QTest::newRow("reversed") << Rows{WorkedExample[2], WorkedExample[1], WorkedExample[0]}
                                  << AreaPrefix + QStringLiteral("-130.0");
        QTest::newRow("one trapezoid") << Rows{{"1", "   0,0", "   4,0"}, {"2", "   3,0", "   2,0"}}
                                       << AreaPrefix + QStringLiteral("9.0");
        QTest::newRow("below the axis") << Rows{{"1", "   0,0", "  -2,0"}, {"2", "   4,0", "  -2,0"}}
                                        << AreaPrefix + QStringLiteral("-8.0");
    }

    void area()
    {
        QFETCH(Rows, rows);
        QFETCH(QString, message);
        addRows(rows);
        form->PointsUnsaved = 0;
        DialogScript script;
        script.then(DialogScript::clickNein());
        click(form->BerechneSBtn);
        QCOMPARE(script.seen, QStringList{message});
        QCOMPARE(form->PointRowCount(), rows.size());
        // Computing changes no state.
        QCOMPARE(form->PointsUnsaved, 0);
    }

    void areaWithABadTextGoesToTheErrorBox()
    {
        addRows({{"1", "   0,0", "   5,0"}, {"2", "  10,0", "sieben"}, {"3", "zwanzig", "   6,0"}});
        DialogScript script;
        script.then(DialogScript::okError());
        click(form->BerechneSBtn);
        // The first bad text in reading order, the full stop from the error box, and no area message.
        QCOMPARE(script.seen, QStringList{QStringLiteral("error: 'sieben' ist kein gültiger Gleitkommawert.")});
    }

    // ---------------------------------------------------- Ergebnis speichern

    void emptyList()
    {
        form->PointsUnsaved = 1;
        DialogScript script;
        script.then(DialogScript::clickNein());
        click(form->ErgSpeichernSBtn);
        QCOMPARE(script.seen, QStringList{QStringLiteral("message: Die Koordinaten-Liste ist leer !")});
        QCOMPARE(form->PointsUnsaved, 1);
    }

    void saveWorkedExample()
    {
        addRows(WorkedExample);
        const QString path = dir->filePath(QStringLiteral("messung.csv"));
        QString proposed = QStringLiteral("(not shown)");
        DialogScript script;
        script.then(DialogScript::saveAs(path, &proposed)).then(DialogScript::clickNein());
        click(form->ErgSpeichernSBtn);
        // The message names the file without its folder.
        QCOMPARE(script.seen, (QStringList{SaveDialog, savedMessage(QStringLiteral("messung.csv"))}));
        QCOMPARE(proposed, QString()); // nothing proposed at the first export
        QCOMPARE(readAll(path), WorkedExampleBytes);
        QCOMPARE(form->ResultLines.size(), 10);
        QCOMPARE(form->PointsUnsaved, 0);
        QCOMPARE(files(), QStringList{QStringLiteral("messung.csv")});
    }

    void saveDialogSetUp()
    {
        addRows(WorkedExample);
        QString title, suffix;
        QStringList filters;
        bool saveMode = false, noOverwriteQuestion = false;
        DialogScript script;
        script.then([&](QWidget* w) {
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
        DialogScript script;
        script.then(DialogScript::saveAs(dir->filePath(QStringLiteral("messung")))).then(DialogScript::clickNein());
        click(form->ErgSpeichernSBtn);
        QCOMPARE(script.seen, (QStringList{SaveDialog, savedMessage(QStringLiteral("messung.csv"))}));
        QCOMPARE(files(), QStringList{QStringLiteral("messung.csv")});
        QCOMPARE(readAll(dir->filePath(QStringLiteral("messung.csv"))), WorkedExampleBytes);
    }

    void cancelledDialog()
    {
        addRows(WorkedExample);
        DialogScript script;
        script.then(DialogScript::cancelFile());
        click(form->ErgSpeichernSBtn);
        QCOMPARE(script.seen, QStringList{SaveDialog});
        QCOMPARE(form->PointsUnsaved, 0);
        QCOMPARE(files(), QStringList());
    }

    void remembersTheLastConfirmedNameAndReplacesTheFile()
    {
        addRows(WorkedExample);
        const QString path = dir->filePath(QStringLiteral("messung.csv"));
        {
            DialogScript script;
            script.then(DialogScript::saveAs(path)).then(DialogScript::clickNein());
            click(form->ErgSpeichernSBtn);
            QCOMPARE(script.seen.size(), 2);
        }
        // A cancelled run in between does not make the dialog forget.
        {
            DialogScript script;
            script.then(DialogScript::cancelFile());
            click(form->ErgSpeichernSBtn);
        }
        form->RemoveLastPointRow();
        QString proposed;
        QString proposedDir;
        {
            DialogScript script;
            script.then([&](QWidget* w) {
                if (auto* f = qobject_cast<QFileDialog*>(w))
                    proposedDir = f->directory().absolutePath();
                DialogScript::acceptProposal(&proposed)(w);
            });
            script.then(DialogScript::clickNein());
            click(form->ErgSpeichernSBtn);
            // No overwrite question comes in between.
            QCOMPARE(script.seen, (QStringList{SaveDialog, savedMessage(QStringLiteral("messung.csv"))}));
        }
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
        QCOMPARE(files(), QStringList{QStringLiteral("messung.csv")});
    }

    void longTextsInTheFile()
    {
        addRows({{"12345678901", "-12345678,9", "   1,0"}, {"2", "   3,0", "-98765432,1"}});
        const QString path = dir->filePath(QStringLiteral("lang.csv"));
        DialogScript script;
        script.then(DialogScript::saveAs(path)).then(DialogScript::clickNein());
        click(form->ErgSpeichernSBtn);
        const QList<QByteArray> lines = readAll(path).split('\n');
        QCOMPARE(lines.value(5), QByteArray("1234567890;-12345678,9;   1,0;;\r"));
        QCOMPARE(lines.value(6), QByteArray("2;   3,0;-98765432,1;=(B7-B6)*(C7+C6)/2;\r"));
    }

    void failingSaveShowsTheErrorBoxAndKeepsTheFlag()
    {
        addRows(WorkedExample);
        const QString path = dir->filePath(QStringLiteral("fehlt/messung.csv"));
        DialogScript script;
        script.then(DialogScript::saveAs(path)).then(DialogScript::okError());
        click(form->ErgSpeichernSBtn);
        QCOMPARE(script.seen.size(), 2);
        QCOMPARE(script.seen[0], SaveDialog);
        const QString head = QStringLiteral("error: Datei \"%1\" kann nicht erstellt werden. ").arg(path);
        QVERIFY2(script.seen[1].startsWith(head), qPrintable(script.seen[1]));
        QVERIFY(script.seen[1].size() > head.size() + 1);
        QVERIFY(script.seen[1].endsWith(u'.'));
        QCOMPARE(form->PointsUnsaved, 1);
        QCOMPARE(files(), QStringList());
    }

    void failingPartWayKeepsTheEarlierFile()
    {
        addRows(WorkedExample);
        const QString path = dir->filePath(QStringLiteral("messung.csv"));
        {
            QFile earlier(path);
            QVERIFY(earlier.open(QIODevice::WriteOnly));
            earlier.write("frueher");
        }
        // The file may not grow beyond 100 bytes: the 196 bytes stop part-way.
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited = old;
        limited.rlim_cur = 100;
        auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        DialogScript script;
        script.then(DialogScript::saveAs(path)).then(DialogScript::okError());
        click(form->ErgSpeichernSBtn);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(script.seen.size(), 2);
        QVERIFY2(script.seen[1].startsWith(QStringLiteral("error: Datei \"%1\" kann nicht erstellt werden. ").arg(path)),
                 qPrintable(script.seen[1]));
        QCOMPARE(readAll(path), QByteArray("frueher"));
        QCOMPARE(files(), QStringList{QStringLiteral("messung.csv")});
        QCOMPARE(form->PointsUnsaved, 1);
    }
};

KUVARO_TEST_MAIN(TestResultButtons)
#include "tst_resultbuttons.moc"
