// The main window as constructed: controls, texts, colours, fonts, sizes and starting state.

#include "app/Application.h"
#include "app/Main.h"
#include "app/Startup.h"
#include "core/WindowSizing.h"
#include "common/ProgramTexts.h"
#include "common/TestMain.h"
#include "dialogs/Inputmessage.h"
#include "view/PictureView.h"
#include "view/TImage.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QStandardItemModel>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

using namespace kuvaro;
using namespace kuvaro::test;

class TestMainForm : public QObject
{
    Q_OBJECT

    Forms forms;
    TMainForm* form = nullptr;

    template<typename T>
    T* control(const QString& name)
    {
        T* w = form->findChild<T*>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }

private Q_SLOTS:
    void initTestCase()
    {
        forms = createForms();
        form = forms.mainForm.get();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }

    void titleAndStamp()
    {
        QCOMPARE(applicationTitle(), QStringLiteral("  Kuvaro  26.01 "));
        QCOMPARE(form->windowTitle(), QStringLiteral("  Kuvaro  26.01 "));
        QCOMPARE(form->TitleVersion, QStringLiteral("26.01 "));
        QCOMPARE(form->TitleText, applicationTitle());
        // Title, blank, dd.mm.yyyy, blank, hh:mm:ss, blank.
        QVERIFY(form->BuildStamp.startsWith(applicationTitle() + u' '));
        const QString rest = form->BuildStamp.mid(applicationTitle().size() + 1);
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d $")).match(rest).hasMatch(),
                 qPrintable(rest));
        // The dialogs copied the title after the main window set it.
        QCOMPARE(forms.inputMessageForm->windowTitle(), applicationTitle());
    }

    void sizeFromScreen()
    {
        const QScreen* primary = QGuiApplication::primaryScreen();
        const MainWindowGeometry g = mainWindowGeometry(primary->geometry().size());
        QCOMPARE(form->OuterSize(), g.outer);
        QCOMPARE(form->frameGeometry().size(), g.outer);
        QCOMPARE(form->minimumSize(), form->maximumSize()); // fixed size
        QCOMPARE(form->Panel1->size(), g.panel1);
        QCOMPARE(form->Panel4->width(), g.panel4Width);
        QCOMPARE(form->ListView1->height(), g.listViewHeight);
        // Nothing else moves.
        QCOMPARE(form->Panel1->pos(), QPoint(214, 109));
        QCOMPARE(form->ListView1->geometry().topLeft(), QPoint(8, 446));
        QCOMPARE(form->Label4->geometry(), QRect(214, 81, 443, 22));
    }

    void labels_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("background");
        QTest::addColumn<int>("fontPixels");
        QTest::newRow("Label4") << "Label4" << QRect(214, 81, 443, 22)
                                << PromptOpen << 0x0000D5u << 13;
        QTest::newRow("Label10") << "Label10" << QRect(659, 81, 36, 22) << "Pixel" << 0xC0C0C0u << 13;
        QTest::newRow("xyLabel") << "xyLabel" << QRect(701, 81, 84, 22) << "" << 0xEEEEEEu << 13;
        QTest::newRow("Label8") << "Label8" << QRect(788, 81, 70, 22) << "Diagramm" << 0xC0C0C0u << 13;
        QTest::newRow("xyAktLabel") << "xyAktLabel" << QRect(863, 81, 106, 22) << "" << 0xEEEEEEu << 13;
        QTest::newRow("Label9") << "Label9" << QRect(972, 81, 36, 22) << "Linie" << 0xC0C0C0u << 13;
        QTest::newRow("LinienFarbeLabel") << "LinienFarbeLabel" << QRect(1012, 84, 18, 16) << "" << 0x000000u << 11;
        QTest::newRow("Label6") << "Label6" << QRect(88, 9, 48, 22) << "X" << 0xEEEEEEu << 13;
        QTest::newRow("Label7") << "Label7" << QRect(142, 9, 48, 22) << "Y" << 0xEEEEEEu << 13;
        QTest::newRow("Label1") << "Label1" << QRect(6, 37, 76, 22) << "Nullpkt." << 0xEEEEEEu << 13;
        QTest::newRow("XoLabel") << "XoLabel" << QRect(88, 37, 48, 22) << "" << 0xEBEBEBu << 13;
        QTest::newRow("YoLabel") << "YoLabel" << QRect(142, 37, 48, 22) << "" << 0xEBEBEBu << 13;
        QTest::newRow("Label2") << "Label2" << QRect(6, 65, 76, 22) << "Max.Wert" << 0xEEEEEEu << 13;
        QTest::newRow("X1Label") << "X1Label" << QRect(88, 65, 48, 22) << "" << 0xEBEBEBu << 13;
        QTest::newRow("Y1Label") << "Y1Label" << QRect(142, 65, 48, 22) << "" << 0xEBEBEBu << 13;
        QTest::newRow("Label5") << "Label5" << QRect(6, 93, 76, 22) << "Kalibr.Länge" << 0xEEEEEEu << 13;
        QTest::newRow("XdiffLabel") << "XdiffLabel" << QRect(88, 93, 48, 22) << "" << 0xEEEEEEu << 13;
        QTest::newRow("YdiffLabel") << "YdiffLabel" << QRect(142, 93, 48, 22) << "" << 0xEEEEEEu << 13;
        QTest::newRow("Label3") << "Label3" << QRect(6, 123, 76, 22) << "Umrech.fakt." << 0xEEEEEEu << 13;
        QTest::newRow("XfaktLabel") << "XfaktLabel" << QRect(88, 123, 48, 22) << "" << 0xEEEEEEu << 13;
        QTest::newRow("YfaktLabel") << "YfaktLabel" << QRect(142, 123, 48, 22) << "" << 0xEEEEEEu << 13;
    }
    void labels()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(uint, background);
        QFETCH(int, fontPixels);
        auto* label = control<QLabel>(name);
        QCOMPARE(label->geometry(), geometry);
        QTEST(label->text(), "text");
        QCOMPARE(labelColor(label), TColor(background));
        QVERIFY(label->autoFillBackground()); // opaque
        QCOMPARE(label->font().pixelSize(), fontPixels);
        QVERIFY(label->alignment() & Qt::AlignVCenter);
    }

    void promptLineIsWhiteOnRed()
    {
        QCOMPARE(labelFontColor(form->Label4), clWhite);
        QVERIFY(form->Label4->alignment() & Qt::AlignLeft);
        QVERIFY(form->Label10->alignment() & Qt::AlignRight);
        QVERIFY(form->xyLabel->alignment() & Qt::AlignHCenter);
    }

    void toolButtons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("caption");
        QTest::newRow("open") << "DateiOeffnenSBn" << 64 << 136 << "Datei öffnen (*.bmp)";
        QTest::newRow("reset all") << "ResetAllesSBtn" << 206 << 70 << "Reset all";
        QTest::newRow("reset points") << "ResetDigiKoordSBn" << 282 << 126 << "Reset Digital.Koord.";
        QTest::newRow("back") << "BackStepSBtn" << 414 << 142 << "1 Digital.Koord. zurück";
        QTest::newRow("area") << "BerechneSBtn" << 562 << 120 << "Fläche berechnen";
        QTest::newRow("save") << "ErgSpeichernSBtn" << 688 << 120 << "Ergebnis speichern";
        QTest::newRow("info") << "InfoSBtn" << 831 << 43 << "";
        QTest::newRow("close") << "CloseSBtn" << 880 << 72 << "Beenden";
    }
    void toolButtons()
    {
        QFETCH(QString, name);
        QFETCH(int, left);
        QFETCH(int, width);
        auto* b = control<QToolButton>(name);
        QCOMPARE(b->parentWidget(), form->Panel4);
        QCOMPARE(b->geometry(), QRect(left, 16, width, 40));
        QTEST(b->text(), "caption");
        QCOMPARE(b->focusPolicy(), Qt::NoFocus);
        QCOMPARE(b->font().pixelSize(), 13);
    }

    void pictures()
    {
        QCOMPARE(form->Image3->geometry(), QRect(15, 21, 32, 32));
        const QPixmap logo = form->Image3->pixmap();
        QCOMPARE(logo.size(), QSize(32, 32));
        QVERIFY(logo.hasAlphaChannel());
        const QImage logoImage = logo.toImage();
        QCOMPARE(qAlpha(logoImage.pixel(0, 0)), 0); // transparent corner
        QVERIFY(!form->InfoSBtn->icon().isNull());
        QCOMPARE(form->InfoSBtn->iconSize(), QSize(15, 22));
        QCOMPARE(QImage(QStringLiteral(":/images/info.png")).size(), QSize(15, 22));
        QCOMPARE(form->InfoSBtn->toolTip(), QStringLiteral("Informationen zum Programm"));
        QCOMPARE(form->Label9->toolTip(), QStringLiteral("Farbe der digitalisierten Linie ändern"));
        QVERIFY(!form->Image2->isVisible());
        QCOMPARE(form->Image2->geometry(), QRect(976, 13, 41, 43));
    }

    void panelsAndViews()
    {
        QCOMPARE(form->Panel3->geometry(), QRect(8, 81, 200, 153));
        QCOMPARE(form->Panel2->geometry(), QRect(8, 240, 200, 200));
        QCOMPARE(form->zoomedImage->geometry(), QRect(1, 1, 198, 198));
        QCOMPARE(form->zoomedImage->Picture.size(), QSize(198, 198));
        QCOMPARE(form->ZoomCanvas.PenWidth, 3);
        QCOMPARE(form->ZoomCanvas.PenColor, clBlack);
        QCOMPARE(form->Image1->geometry(), QRect(8, 8, 104, 72));
        QVERIFY(form->Image1->empty());
        QCOMPARE(fromQColor(form->Panel1->palette().color(QPalette::Window)), clGrey);
        QVERIFY(form->Panel1->autoFillBackground());
        QCOMPARE(fromQColor(form->palette().color(QPalette::Window)), clSilver);
        QCOMPARE(form->font().pixelSize(), 11);
    }

    void pointList()
    {
        QTreeView* list = form->ListView1;
        QCOMPARE(list->model()->columnCount(), 6);
        QCOMPARE(list->model()->rowCount(), 0);
        const QStringList captions = {"Nr.", "x-Koord", "y-Koord", "ix", "iy", "linecol"};
        for (int c = 0; c < 6; ++c)
            QCOMPARE(list->model()->headerData(c, Qt::Horizontal).toString(), captions[c]);
        QCOMPARE(list->columnWidth(0), 40);
        QCOMPARE(list->columnWidth(1), 66);
        QCOMPARE(list->columnWidth(2), 66);
        for (int c = 3; c < 6; ++c)
            QVERIFY(list->isColumnHidden(c));
        QCOMPARE(list->font().pixelSize(), 13);

        // Only the number can be edited in place.
        form->AppendPointRow({"1", "   5,0", "   3,0", "10", "20", "255"});
        QVERIFY(form->ListModel->item(0, ColNr)->isEditable());
        QVERIFY(!form->ListModel->item(0, ColX)->isEditable());
        QCOMPARE(form->PointCell(0, ColLineCol), QStringLiteral("255"));
        form->ClearPointList();
        QCOMPARE(form->PointRowCount(), 0);
    }

    void startingState()
    {
        QCOMPARE(form->CalibStep, 0);
        QCOMPARE(form->PointCount, 0);
        QCOMPARE(form->Xo, -1);
        QCOMPARE(form->Yo, -1);
        QCOMPARE(form->X1, -1);
        QCOMPARE(form->Y1, -1);
        QCOMPARE(form->Xfakt, 0.0);
        QCOMPARE(form->LineColor, clBlack);
        QCOMPARE(form->PointsUnsaved, 0);
        QCOMPARE(form->MessageAnswer, 0);
        QVERIFY(form->ResultLines.isEmpty());
        QVERIFY(!form->FactorsValid);
    }

    void mouseBeforePictureChangesNothing()
    {
        QTest::mouseMove(form->Image1, QPoint(20, 20));
        QTest::mousePress(form->Image1, Qt::RightButton, {}, QPoint(20, 20));
        QTest::mouseRelease(form->Image1, Qt::RightButton, {}, QPoint(20, 20));
        QCOMPARE(form->xyLabel->text(), QString());
        QCOMPARE(form->CalibStep, 0);
        QCOMPARE(form->XoLabel->text(), QString());
    }
};

KUVARO_TEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
