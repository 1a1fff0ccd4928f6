// Opening a picture through the real file dialog of the real main window: the
// dialog as the user meets it, the fit into the view, caption and prompt; and
// opening as all or nothing: a cancelled dialog or a file that cannot be read
// leaves points, calibration, picture, caption and prompt as they were, with
// the error box for the unreadable file. Also "Reset all" with and without a
// picture.

#include "app/Application.h"
#include "app/Main.h"
#include "common/FormDriver.h"
#include "common/Pictures.h"
#include "common/ProgramTexts.h"
#include "common/TestMain.h"
#include "view/BmpCorpus.h"
#include "view/PictureView.h"
#include "view/TImage.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace kuvaro;
using namespace kuvaro::test;

namespace {

QByteArray bmpOf(const QImage& img)
{
    BmpFile f;
    f.width = img.width();
    f.height = img.height();
    f.bits = 24;
    f.pixels = packRows(img.width(), img.height(), 24, false, [&](int x, int y) { return img.pixel(x, y); });
    return f.bytes();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// What a file dialog showed when it came up.
struct DialogSeen
{
    QString title, directory, fileName, defaultSuffix;
    QStringList filters;
    bool native = true;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
};

void noteDialog(QFileDialog* d, DialogSeen& seen)
{
    seen.title = d->windowTitle();
    seen.directory = d->directory().absolutePath();
    seen.filters = d->nameFilters();
    seen.defaultSuffix = d->defaultSuffix();
    seen.native = !d->testOption(QFileDialog::DontUseNativeDialog);
    seen.mode = d->fileMode();
    if (auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        seen.fileName = edit->text();
}

// Clicks "Datei öffnen (*.bmp)" and lets `choose` answer the file dialog,
// which `seen` describes when given.
void openWith(FormDriver& d, const DialogScript::Step& choose, DialogSeen* seen = nullptr)
{
    d.dialogs.then([choose, seen](QWidget* w) {
        if (auto* f = qobject_cast<QFileDialog*>(w); f && seen)
            noteDialog(f, *seen);
        choose(w);
    });
    QTest::mouseClick(d.form->DateiOeffnenSBn, Qt::LeftButton);
}

void openFile(FormDriver& d, const QString& path) { openWith(d, DialogScript::typeFileName(path)); }

// The three right presses with the differences in the calibration dialog, then four points.
void calibrateAndCapture(FormDriver& d)
{
    d.calibrate(QStringLiteral("10"), QStringLiteral("5"), {100, 500}, {1300, 500}, {100, 80});
    for (QPoint p : {QPoint(200, 400), QPoint(420, 300), QPoint(700, 350), QPoint(1100, 120)})
        d.left(p.x(), p.y());
}

// Everything an open must leave alone when it does not succeed.
struct Snapshot
{
    QString caption, prompt;
    double scale = 0;
    QRect view;
    int calibStep = 0, pointCount = 0;
    QStringList labels;
    QList<QStringList> rows;
    TColor swatch = 0;
    QImage working, pristine, display;

    explicit Snapshot(TMainForm& f)
    {
        caption = f.windowTitle();
        prompt = f.Label4->text();
        scale = f.DisplayScale;
        view = f.Image1->geometry();
        calibStep = f.CalibStep;
        pointCount = f.PointCount;
        for (QLabel* l : {f.XoLabel, f.YoLabel, f.X1Label, f.Y1Label, f.XdiffLabel, f.YdiffLabel, f.XfaktLabel,
                          f.YfaktLabel, f.xyAktLabel})
            labels << l->text();
        for (int r = 0; r < f.ListModel->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < f.ListModel->columnCount(); ++c)
                cells << f.ListModel->item(r, c)->text();
            rows << cells;
        }
        swatch = labelColor(f.LinienFarbeLabel);
        // Deep copies: sharing the working bitmap would make the next drawing copy it.
        working = f.Image1->Picture.copy();
        pristine = f.Image2->Picture.copy();
        display = f.Image1->displayImage().copy();
    }

    QString differenceTo(const Snapshot& o) const
    {
        if (caption != o.caption)
            return QStringLiteral("caption: %1").arg(o.caption);
        if (prompt != o.prompt)
            return QStringLiteral("prompt: %1").arg(o.prompt);
        if (scale != o.scale)
            return QStringLiteral("display scale");
        if (view != o.view)
            return QStringLiteral("view geometry");
        if (calibStep != o.calibStep || pointCount != o.pointCount)
            return QStringLiteral("calibration step or point count");
        if (labels != o.labels)
            return QStringLiteral("labels: %1").arg(o.labels.join(u'|'));
        if (rows != o.rows)
            return QStringLiteral("point list");
        if (swatch != o.swatch)
            return QStringLiteral("line colour");
        if (working != o.working)
            return QStringLiteral("working bitmap");
        if (pristine != o.pristine)
            return QStringLiteral("pristine bitmap");
        if (display != o.display)
            return QStringLiteral("display");
        return QString();
    }
};

// A display built afresh from a picture at a scale.
QImage freshDisplay(const QImage& picture, double scale, QSize size)
{
    TPictureView v;
    v.Picture = picture;
    v.setDisplayScale(scale);
    v.resize(size);
    v.pictureReplaced();
    return v.displayImage().copy();
}

} // namespace

class TestPictureLoading : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_picturePath;
    QImage m_picture;
    // The window for the tests that open broken files one after another.
    std::unique_ptr<FormDriver> m_brokenFileWindow;
    std::unique_ptr<Snapshot> m_before;

    // One window opens all broken files in turn: after every one of them the
    // error box has come up and nothing has changed since the picture was
    // opened, calibrated and four points were captured.
    void prepareBrokenFileWindow()
    {
        m_brokenFileWindow = std::make_unique<FormDriver>();
        FormDriver& d = *m_brokenFileWindow;
        openFile(d, m_picturePath);
        calibrateAndCapture(d);
        m_before = std::make_unique<Snapshot>(*d.form);
        QCOMPARE(d.dialogs.takeSeen(), (QStringList{OpenDialog, QStringLiteral("input dialog")}));
    }

private Q_SLOTS:
    void cleanupTestCase()
    {
        m_before.reset();
        m_brokenFileWindow.reset();
    }

    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_picture = patternPicture(QSize(739, 300));
        m_picturePath = m_dir.filePath(QStringLiteral("diagramm.bmp"));
        writeFile(m_picturePath, bmpOf(m_picture));
    }

    // The window kept for the broken files answers no dialog between its rows.
    void cleanup()
    {
        if (m_brokenFileWindow)
            m_brokenFileWindow->dialogs.stop();
    }

    void opensThroughTheDialog()
    {
        FormDriver d;
        TMainForm& form = *d.form;
        DialogSeen dialog;
        openWith(d, DialogScript::typeFileName(m_picturePath), &dialog);

        QCOMPARE(d.dialogs.takeSeen(), QStringList{OpenDialog});
        QCOMPARE(dialog.title, QStringLiteral("Grafik-Datei einlesen"));
        QCOMPARE(dialog.directory, QDir(QCoreApplication::applicationDirPath()).absolutePath());
        QCOMPARE(dialog.filters, (QStringList{QStringLiteral("Bmp-Datei (*.bmp)"),
                                              QStringLiteral("Alle Bilder (*.bmp *.png *.jpg *.jpeg *.gif *.tif *.tiff *.webp)")}));
        QCOMPARE(dialog.defaultSuffix, QStringLiteral("bmp"));
        QCOMPARE(dialog.fileName, QString());
        QVERIFY(!dialog.native);

        QCOMPARE(form.windowTitle(), QStringLiteral("  Kuvaro  26.01  - ") + m_picturePath);
        QCOMPARE(form.Label4->text(), PromptOrigin);
        QCOMPARE(form.DisplayScale, 2.0);
        QCOMPARE(form.Image1->geometry(), QRect(8, 8, 1478, 600));
        QCOMPARE(form.Image2->Picture.size(), QSize(739, 300));
        QVERIFY(form.Image2->Picture.convertToFormat(QImage::Format_RGB32) == m_picture);
        QCOMPARE(form.Image1->Picture.format(), QImage::Format_RGB32);
        QVERIFY(form.Image1->Picture == form.Image2->Picture);
        QVERIFY(!form.PictureEmpty());
        // View pixel 2x+1 shows picture pixel x when the picture is enlarged twice.
        QCOMPARE(form.Image1->displayImage().pixel(201, 101), m_picture.pixel(100, 50));

        // The dialog starts in the program's folder again the next time.
        DialogSeen again;
        openWith(d, DialogScript::cancelFile(), &again);
        QCOMPARE(again.directory, QDir(QCoreApplication::applicationDirPath()).absolutePath());
        QCOMPARE(again.fileName, QString());
    }

    void typedNameGetsTheSuffix()
    {
        writeFile(m_dir.filePath(QStringLiteral("probe.bmp")), bmpOf(patternPicture(QSize(300, 200))));
        FormDriver d;
        const QString dir = m_dir.path();
        openWith(d, [dir](QWidget* w) {
            if (auto* f = qobject_cast<QFileDialog*>(w))
                f->setDirectory(dir);
            DialogScript::typeFileName(QStringLiteral("probe"))(w);
        });
        QCOMPARE(d.dialogs.seen, QStringList{OpenDialog});
        QCOMPARE(d.form->windowTitle(),
                 QStringLiteral("  Kuvaro  26.01  - ") + m_dir.filePath(QStringLiteral("probe.bmp")));
        QCOMPARE(d.form->Image2->Picture.size(), QSize(300, 200));
    }

    void sameFileTwiceFitsTheSame()
    {
        FormDriver d;
        TMainForm& form = *d.form;
        openFile(d, m_picturePath);
        const double scale = form.DisplayScale;
        const QRect view = form.Image1->geometry();
        calibrateAndCapture(d);
        d.dialogs.then(DialogScript::typeFileName(m_picturePath)).then(DialogScript::clickNein());
        QTest::mouseClick(form.DateiOeffnenSBn, Qt::LeftButton);
        QCOMPARE(d.dialogs.seen, (QStringList{OpenDialog, QStringLiteral("input dialog"), OpenDialog, SaveQuestion}));
        QCOMPARE(form.DisplayScale, scale);
        QCOMPARE(form.Image1->geometry(), view);
        // A new picture starts from scratch.
        QCOMPARE(form.PointRowCount(), 0);
        QCOMPARE(form.CalibStep, 0);
        QVERIFY(form.Image1->Picture == form.Image2->Picture);
        QCOMPARE(form.Label4->text(), PromptOrigin);
    }

    // Unsaved points are offered to the save dialog before a new picture replaces
    // them; only a save or a "Nein" lets the picture in.
    void newPictureAsksFirst_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("opened");
        QTest::newRow("Nein") << "nein" << true;
        QTest::newRow("Ja, saved") << "save" << true;
        QTest::newRow("Ja, save cancelled") << "cancel" << false;
        QTest::newRow("question closed") << "close" << false;
    }

    void newPictureAsksFirst()
    {
        QFETCH(QString, answer);
        QFETCH(bool, opened);
        FormDriver d;
        TMainForm& form = *d.form;
        openFile(d, m_picturePath);
        calibrateAndCapture(d);
        const Snapshot before(form);
        const QString csv = d.folder.filePath(QStringLiteral("vorher.csv"));
        const QString other = d.folder.filePath(QStringLiteral("anderes.bmp"));
        QImage small(50, 40, QImage::Format_RGB32);
        small.fill(Qt::white);
        QVERIFY(small.save(other, "BMP"));
        d.dialogs.then(DialogScript::typeFileName(other));
        if (answer == u"nein")
            d.dialogs.then(DialogScript::clickNein());
        else if (answer == u"close")
            d.dialogs.then(DialogScript::closeBox());
        else
            d.dialogs.then(DialogScript::clickJa())
                .then(answer == u"save" ? DialogScript::typeFileName(csv) : DialogScript::cancelFile());
        if (answer == u"save")
            d.dialogs.then(DialogScript::clickNein()); // the "gespeichert" message
        QTest::mouseClick(form.DateiOeffnenSBn, Qt::LeftButton);
        QCOMPARE(QFileInfo::exists(csv), answer == u"save");
        if (opened) {
            QCOMPARE(form.PointRowCount(), 0);
            QCOMPARE(form.Image2->Picture.size(), QSize(50, 40));
        } else {
            const QString difference = before.differenceTo(Snapshot(form));
            QVERIFY2(difference.isEmpty(), qPrintable(difference));
            QCOMPARE(form.PointsUnsaved, 1);
        }
    }

    // Ctrl+V and Shift+Insert open the clipboard's picture; without one, a
    // message and nothing changes.
    void paste_data()
    {
        QTest::addColumn<QKeyCombination>("keys");
        QTest::addColumn<bool>("picture");
        QTest::newRow("Ctrl+V") << QKeyCombination(Qt::ControlModifier, Qt::Key_V) << true;
        QTest::newRow("Shift+Insert") << QKeyCombination(Qt::ShiftModifier, Qt::Key_Insert) << true;
        QTest::newRow("text only") << QKeyCombination(Qt::ControlModifier, Qt::Key_V) << false;
    }

    void paste()
    {
        QFETCH(QKeyCombination, keys);
        QFETCH(bool, picture);
        FormDriver d;
        TMainForm& form = *d.form;
        openFile(d, m_picturePath);
        const Snapshot before(form);
        QImage shot(300, 120, QImage::Format_ARGB32);
        shot.fill(Qt::transparent);
        shot.setPixel(10, 20, qRgb(0, 0, 255));
        if (picture)
            QGuiApplication::clipboard()->setImage(shot);
        else
            QGuiApplication::clipboard()->setText(QStringLiteral("kein Bild"));
        d.dialogs.takeSeen();
        // Shortcuts belong to the active window.
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, keys.key(), keys.keyboardModifiers());
        if (picture) {
            QCOMPARE(d.dialogs.takeSeen(), QStringList());
            QCOMPARE(form.windowTitle(), QStringLiteral("  Kuvaro  26.01  - Zwischenablage"));
            QCOMPARE(form.Image2->Picture.size(), shot.size());
            QCOMPARE(form.Image2->Picture.pixel(0, 0), qRgb(255, 255, 255));
            QCOMPARE(form.Image2->Picture.pixel(10, 20), qRgb(0, 0, 255));
            QCOMPARE(form.Label4->text(), PromptOrigin);
        } else {
            QCOMPARE(d.dialogs.takeSeen(), QStringList{QStringLiteral("message: Die Zwischenablage enthält kein Bild")});
            const QString difference = before.differenceTo(Snapshot(form));
            QVERIFY2(difference.isEmpty(), qPrintable(difference));
        }
    }

    // One dropped picture file opens as the dialog would; anything else is not taken.
    void drop_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("opens");
        QTest::newRow("PNG file") << "png" << true;
        QTest::newRow("two files") << "two" << false;
        QTest::newRow("text file") << "text" << false;
        QTest::newRow("plain text") << "words" << false;
    }

    void drop()
    {
        QFETCH(QString, what);
        QFETCH(bool, opens);
        FormDriver d;
        TMainForm& form = *d.form;
        const QString png = d.folder.filePath(QStringLiteral("kurve.png"));
        QVERIFY(patternPicture(QSize(80, 60)).save(png, "PNG"));
        const QString text = d.folder.filePath(QStringLiteral("werte.png"));
        QFile t(text);
        QVERIFY(t.open(QIODevice::WriteOnly) && t.write("1;2;3\n") > 0);
        t.close();
        QMimeData data;
        if (what == u"words")
            data.setText(png);
        else if (what == u"two")
            data.setUrls({QUrl::fromLocalFile(png), QUrl::fromLocalFile(png)});
        else
            data.setUrls({QUrl::fromLocalFile(what == u"png" ? png : text)});
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &enter);
        QCOMPARE(enter.isAccepted(), opens);
        QDropEvent dropped(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &dropped);
        QCOMPARE(d.dialogs.seen, QStringList());
        QCOMPARE(form.windowTitle(), opens ? QStringLiteral("  Kuvaro  26.01  - ") + png : QStringLiteral("  Kuvaro  26.01 "));
        QCOMPARE(form.PictureEmpty(), !opens);
    }

    void cancelKeepsEverything()
    {
        FormDriver d;
        TMainForm& form = *d.form;
        openFile(d, m_picturePath);
        calibrateAndCapture(d);
        QCOMPARE(form.PointRowCount(), 4);
        QCOMPARE(form.CalibStep, 3);
        const Snapshot before(form);
        QVERIFY(before.working != before.pristine); // the crosses and the polyline are there

        openWith(d, DialogScript::cancelFile());
        QCOMPARE(d.dialogs.seen, (QStringList{OpenDialog, QStringLiteral("input dialog"), OpenDialog}));
        const QString difference = before.differenceTo(Snapshot(form));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    void brokenFileChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        for (const BrokenFile& b : brokenFiles()) {
            // Broken for the BMP reader, but a picture the program opens by its content.
            if (b.bytes.startsWith("\x89PNG"))
                continue;
            QTest::newRow(b.name) << b.bytes << b.message;
        }
    }

    void brokenFileChangesNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        if (!m_before)
            prepareBrokenFileWindow();
        QCOMPARE(m_before->rows.size(), 4);
        FormDriver& d = *m_brokenFileWindow;
        d.dialogs.start();
        const QString path = m_dir.filePath(QStringLiteral("kaputt.bmp"));
        writeFile(path, bytes);
        QString boxTitle;
        d.dialogs.then(DialogScript::typeFileName(path)).then([&boxTitle](QWidget* w) {
            boxTitle = w->windowTitle();
            DialogScript::okMessageBox()(w);
        });
        QTest::mouseClick(d.form->DateiOeffnenSBn, Qt::LeftButton);
        // The error box, with its icon.
        QCOMPARE(d.dialogs.takeSeen(), (QStringList{OpenDialog, QStringLiteral("error: ") + message + u'.'}));
        QCOMPARE(boxTitle, applicationTitle());
        const QString difference = m_before->differenceTo(Snapshot(*d.form));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    // The sample diagram lies next to the program, where the dialog starts:
    // its name typed without extension opens it.
    void sampleDiagram()
    {
        const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Beispieldiagramm.bmp"));
        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
        const QByteArray head = file.read(30);
        QVERIFY(file.size() < 2 * 1024 * 1024);
        QCOMPARE(head.left(2), QByteArray("BM"));
        QCOMPARE(qFromLittleEndian<quint16>(head.constData() + 28), quint16(24));
        file.close();

        FormDriver d;
        TMainForm& form = *d.form;
        openWith(d, DialogScript::typeFileName(QStringLiteral("Beispieldiagramm")));
        QCOMPARE(d.dialogs.seen, QStringList{OpenDialog});
        QCOMPARE(form.windowTitle(), QStringLiteral("  Kuvaro  26.01  - ") + QFileInfo(path).absoluteFilePath());
        const QImage& picture = form.Image2->Picture;
        QVERIFY(picture.width() >= 700 && picture.width() <= 900);
        QVERIFY(picture.height() >= 500 && picture.height() <= 700);
        QCOMPARE(form.Label4->text(), PromptOrigin);
        // A diagram: mostly white paper, with black axes and a coloured curve.
        int white = 0, dark = 0, coloured = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const QColor c(picture.pixel(x, y));
                if (c.lightness() > 245)
                    ++white;
                else if (c.lightness() < 60 && c.saturation() < 40)
                    ++dark;
                else if (c.saturation() > 120)
                    ++coloured;
            }
        }
        const int all = picture.width() * picture.height();
        QVERIFY(white > all * 8 / 10);
        QVERIFY(dark > 1000);
        QVERIFY(coloured > 500);
    }

    void resetAllWithoutPicture()
    {
        FormDriver d;
        TMainForm& form = *d.form;
        for (QLabel* l : {form.XoLabel, form.YdiffLabel, form.xyAktLabel})
            l->setText(QStringLiteral("12"));
        form.AppendPointRow({QStringLiteral("1"), QStringLiteral("   1,0"), QStringLiteral("   2,0"), QStringLiteral("5"),
                             QStringLiteral("6"), QStringLiteral("0")});
        QTest::mouseClick(form.ResetAllesSBtn, Qt::LeftButton);
        for (QLabel* l : {form.XoLabel, form.YdiffLabel, form.xyAktLabel})
            QCOMPARE(l->text(), QString());
        QCOMPARE(form.PointRowCount(), 0);
        QCOMPARE(form.Label4->text(), PromptOpen);
        QVERIFY(form.PictureEmpty());
    }

    void resetAllWithPicture()
    {
        FormDriver d;
        TMainForm& form = *d.form;
        openFile(d, m_picturePath);
        calibrateAndCapture(d);
        setLabelColor(form.LinienFarbeLabel, 0x0000FF);
        d.left(1200, 200); // a red segment
        QVERIFY(form.Image1->Picture != form.Image2->Picture);

        QTest::mouseClick(form.ResetAllesSBtn, Qt::LeftButton);
        QCOMPARE(form.PointRowCount(), 0);
        for (QLabel* l : {form.XoLabel, form.YoLabel, form.X1Label, form.Y1Label, form.XdiffLabel, form.YdiffLabel,
                          form.XfaktLabel, form.YfaktLabel, form.xyAktLabel})
            QCOMPARE(l->text(), QString());
        QCOMPARE(labelColor(form.LinienFarbeLabel), clBlack);
        QCOMPARE(form.Label4->text(), PromptOrigin);
        // No cross and no line is left, neither in the picture nor on the screen.
        QVERIFY(form.Image1->Picture == form.Image2->Picture);
        QVERIFY(form.Image1->displayImage() ==
                freshDisplay(form.Image2->Picture, form.DisplayScale, form.Image1->size()));
        // The next right press is taken as the origin.
        d.right(321, 456);
        QCOMPARE(form.CalibStep, 1);
        QCOMPARE(form.XoLabel->text(), QStringLiteral("321"));
        QCOMPARE(form.YoLabel->text(), QStringLiteral("456"));
        QCOMPARE(d.dialogs.seen, (QStringList{OpenDialog, QStringLiteral("input dialog")}));
    }
};

KUVARO_TEST_MAIN(TestPictureLoading)
#include "tst_pictureloading.moc"
