#include "app/Main.h"

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "core/BuildStamp.h"
#include "core/Title.h"
#include "app/Fonts.h"
#include "core/WindowSizing.h"
#include "view/Fit.h"
#include "view/PictureView.h"
#include "view/TImage.h"

#include <QAction>
#include <QKeySequence>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QStandardItemModel>
#include <QToolButton>
#include <QTreeView>

using namespace kuvaro;

namespace {

QFrame* makePanel(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    panel->setGeometry(geometry);
    return panel;
}

QToolButton* makeToolButton(QWidget* parent, const char* name, int left, int width, const QString& caption)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setGeometry(left, 16, width, 40);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFont(tahomaFont(13));
    return button;
}

} // namespace

TMainForm::TMainForm(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    buildControls();

    TitleVersion = titleVersionText();
    setApplicationTitle(QStringLiteral("  Kuvaro  ") + TitleVersion);
    TitleText = applicationTitle();
    setWindowTitle(applicationTitle());

    applyScreenSize();

    ClearPointList();
    for (QLabel* l : {XoLabel, YoLabel, X1Label, Y1Label})
        setLabelColor(l, clRestingLabel);

    ShowPrompt();

    BuildStamp = programBuildStamp(TitleText);

    // The magnifier's surface: a 198 x 198 bitmap, black pen of width 3.
    QImage surface(198, 198, QImage::Format_RGB32);
    surface.fill(Qt::white);
    zoomedImage->setPicture(surface);
    ZoomCanvas.setTarget(&zoomedImage->Picture);
    ZoomCanvas.PenColor = clBlack;
    ZoomCanvas.PenWidth = 3;
}

TMainForm::~TMainForm() = default;

void TMainForm::attachDialogs(TInputMessageForm* input, TLizForm* liz, TZeigeNachrichtForm* message)
{
    InputMessageForm = input;
    LizForm = liz;
    ZeigeNachrichtForm = message;
}

void TMainForm::buildControls()
{
    setFont(tahomaFont(11));
    setBackground(this, clSilver);
    resize(1046, 752);
    const QFont f13 = tahomaFont(13);

    Panel4 = makePanel(this, "Panel4", QRect(8, 8, 1025, 67));
    Image3 = new QLabel(Panel4);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setGeometry(15, 21, 32, 32);
    Image3->setPixmap(pngResource(QStringLiteral(":/images/logo.png")));
    DateiOeffnenSBn = makeToolButton(Panel4, "DateiOeffnenSBn", 64, 136, QStringLiteral("Datei öffnen (*.bmp)"));
    ResetAllesSBtn = makeToolButton(Panel4, "ResetAllesSBtn", 206, 70, QStringLiteral("Reset all"));
    ResetDigiKoordSBn = makeToolButton(Panel4, "ResetDigiKoordSBn", 282, 126, QStringLiteral("Reset Digital.Koord."));
    BackStepSBtn = makeToolButton(Panel4, "BackStepSBtn", 414, 142, QStringLiteral("1 Digital.Koord. zurück"));
    BerechneSBtn = makeToolButton(Panel4, "BerechneSBtn", 562, 120, QStringLiteral("Fläche berechnen"));
    ErgSpeichernSBtn = makeToolButton(Panel4, "ErgSpeichernSBtn", 688, 120, QStringLiteral("Ergebnis speichern"));
    InfoSBtn = makeToolButton(Panel4, "InfoSBtn", 831, 43, QString());
    InfoSBtn->setIcon(QIcon(pngResource(QStringLiteral(":/images/info.png"))));
    InfoSBtn->setIconSize(QSize(15, 22));
    InfoSBtn->setToolTip(QStringLiteral("Informationen zum Programm"));
    CloseSBtn = makeToolButton(Panel4, "CloseSBtn", 880, 72, QStringLiteral("Beenden"));
    Image2 = new TImage(Panel4);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(976, 13, 41, 43);
    Image2->AutoSize = true;
    Image2->setVisible(false);

    Label4 = makeLabel(this, {"Label4", QRect(214, 81, 443, 22), QString(), Qt::AlignLeft, clRedBand, f13});
    setLabelFontColor(Label4, clWhite);
    Label10 = makeLabel(this, {"Label10", QRect(659, 81, 36, 22), QStringLiteral("Pixel"), Qt::AlignRight, clSilver, f13});
    xyLabel = makeLabel(this, {"xyLabel", QRect(701, 81, 84, 22), QString(), Qt::AlignHCenter, clValueLabel, f13});
    Label8 = makeLabel(this, {"Label8", QRect(788, 81, 70, 22), QStringLiteral("Diagramm"), Qt::AlignRight, clSilver, f13});
    xyAktLabel = makeLabel(this, {"xyAktLabel", QRect(863, 81, 106, 22), QString(), Qt::AlignHCenter, clValueLabel, f13});
    Label9 = makeLabel(this, {"Label9", QRect(972, 81, 36, 22), QStringLiteral("Linie"), Qt::AlignRight, clSilver, f13});
    Label9->setToolTip(QStringLiteral("Farbe der digitalisierten Linie ändern"));
    LinienFarbeLabel = makeLabel(this, {"LinienFarbeLabel", QRect(1012, 84, 18, 16), QString(), Qt::AlignHCenter,
                                        clBlack, font()});
    LinienFarbeLabel->installEventFilter(this);

    Panel3 = makePanel(this, "Panel3", QRect(8, 81, 200, 153));
    Label6 = makeLabel(Panel3, {"Label6", QRect(88, 9, 48, 22), QStringLiteral("X"), Qt::AlignHCenter, clValueLabel, f13});
    Label7 = makeLabel(Panel3, {"Label7", QRect(142, 9, 48, 22), QStringLiteral("Y"), Qt::AlignHCenter, clValueLabel, f13});
    struct Row
    {
        QLabel** caption;
        const char* captionName;
        const char* captionText;
        QLabel** x;
        const char* xName;
        QLabel** y;
        const char* yName;
        int top;
    };
    const Row rows[] = {
        {&Label1, "Label1", "Nullpkt.", &XoLabel, "XoLabel", &YoLabel, "YoLabel", 37},
        {&Label2, "Label2", "Max.Wert", &X1Label, "X1Label", &Y1Label, "Y1Label", 65},
        {&Label5, "Label5", "Kalibr.Länge", &XdiffLabel, "XdiffLabel", &YdiffLabel, "YdiffLabel", 93},
        {&Label3, "Label3", "Umrech.fakt.", &XfaktLabel, "XfaktLabel", &YfaktLabel, "YfaktLabel", 123},
    };
    for (const Row& r : rows) {
        *r.caption = makeLabel(Panel3, {r.captionName, QRect(6, r.top, 76, 22), QString::fromUtf8(r.captionText),
                                        Qt::AlignHCenter, clValueLabel, f13});
        *r.x = makeLabel(Panel3, {r.xName, QRect(88, r.top, 48, 22), QString(), Qt::AlignHCenter, clValueLabel, f13});
        *r.y = makeLabel(Panel3, {r.yName, QRect(142, r.top, 48, 22), QString(), Qt::AlignHCenter, clValueLabel, f13});
    }

    Panel2 = makePanel(this, "Panel2", QRect(8, 240, 200, 200));
    auto* lupe = new QLabel(QStringLiteral("Lupe"), Panel2);
    lupe->setGeometry(Panel2->contentsRect());
    lupe->setAlignment(Qt::AlignCenter);
    zoomedImage = new TImage(Panel2);
    zoomedImage->setObjectName(QStringLiteral("zoomedImage"));
    zoomedImage->setGeometry(1, 1, 198, 198);

    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(8, 446, 200, 292);
    ListView1->setFont(f13);
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::SelectedClicked);
    ListView1->setDragEnabled(true);
    ListView1->setDragDropMode(QAbstractItemView::DragOnly);
    ListModel = new QStandardItemModel(0, PointColumnCount, ListView1);
    ListModel->setHorizontalHeaderLabels({QStringLiteral("Nr."), QStringLiteral("x-Koord"), QStringLiteral("y-Koord"),
                                          QStringLiteral("ix"), QStringLiteral("iy"), QStringLiteral("linecol")});
    ListView1->setModel(ListModel);
    ListView1->header()->setStretchLastSection(false);
    ListView1->setColumnWidth(ColNr, 40);
    ListView1->setColumnWidth(ColX, 66);
    ListView1->setColumnWidth(ColY, 66);
    for (int hidden : {int(ColIx), int(ColIy), int(ColLineCol)})
        ListView1->setColumnHidden(hidden, true);

    Panel1 = makePanel(this, "Panel1", QRect(214, 109, 819, 629));
    setBackground(Panel1, clGrey);
    Image1 = new TPictureView(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 8, 104, 72);

    connect(DateiOeffnenSBn, &QToolButton::clicked, this, guard(this, &TMainForm::DateiOeffnenSBnClick));
    connect(ResetAllesSBtn, &QToolButton::clicked, this, guard(this, &TMainForm::ResetAllesSBtnClick));
    connect(ResetDigiKoordSBn, &QToolButton::clicked, this, guard(this, &TMainForm::ResetDigiKoordSBnClick));
    connect(BackStepSBtn, &QToolButton::clicked, this, guard(this, &TMainForm::BackStepSBtnClick));
    connect(BerechneSBtn, &QToolButton::clicked, this, guard(this, &TMainForm::BerechneSBtnClick));
    connect(ErgSpeichernSBtn, &QToolButton::clicked, this, guard(this, &TMainForm::ErgSpeichernSBtnClick));
    connect(InfoSBtn, &QToolButton::clicked, this, guard(this, &TMainForm::InfoSBtnClick));
    connect(CloseSBtn, &QToolButton::clicked, this, guard(this, &TMainForm::CloseSBtnClick));
    connect(Image1, &TPictureView::mousePressed, this, guard(this, &TMainForm::Image1MouseDown));
    connect(Image1, &TPictureView::mouseMoved, this, guard(this, &TMainForm::Image1MouseMove));

    // Pictures come also by paste (Ctrl+V, Shift+Insert) and by drop.
    auto* paste = new QAction(this);
    paste->setObjectName(QStringLiteral("PasteAction"));
    paste->setShortcuts(QKeySequence::Paste);
    paste->setShortcutContext(Qt::WindowShortcut);
    addAction(paste);
    connect(paste, &QAction::triggered, this, guard(this, &TMainForm::PastePicture));
    setAcceptDrops(true);
}

void TMainForm::applyScreenSize()
{
    QList<QSize> monitors;
    for (const QScreen* s : QGuiApplication::screens())
        monitors.append(s->geometry().size());
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QSize screen = sizingScreen(monitors, primary ? primary->geometry().size() : QSize(1046, 752));
    const MainWindowGeometry g = mainWindowGeometry(screen);

    m_outerSize = g.outer;
    // Until the window system reports the frame, the client takes the whole outer size.
    setFixedSize(g.outer);
    Panel1->resize(g.panel1);
    Panel4->resize(g.panel4Width, Panel4->height());
    ListView1->resize(ListView1->width(), g.listViewHeight);
    if (primary) {
        const QRect area = primary->geometry();
        move(centredIn(g.outer, area));
    }
}

void TMainForm::fitOuterSize()
{
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame == m_appliedFrame)
        return;
    m_appliedFrame = frame;
    setFixedSize(m_outerSize - frame);
    if (const QScreen* s = screen()) {
        const QRect area = s->geometry();
        move(centredIn(m_outerSize, area));
    }
}

void TMainForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    guarded([this] { fitOuterSize(); });
}

void TMainForm::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // The frame becomes known only once the window manager has framed the window.
    guarded([this] { fitOuterSize(); });
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == LinienFarbeLabel && event->type() == QEvent::MouseButtonPress) {
        const auto* me = static_cast<QMouseEvent*>(event);
        guarded([&] { LinienFarbeLabelMouseDown(me->button(), me->buttons()); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
