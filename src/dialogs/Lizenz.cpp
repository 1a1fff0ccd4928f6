#include "dialogs/Lizenz.h"

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/Controls.h"
#include "app/Fonts.h"
#include "dialogs/InstructionsPicture.h"
#include "dialogs/VersionInfo.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace kuvaro {

int wheelScrollPosition(int position, int delta, int maximum)
{
    // C++ integer division truncates toward zero: 7 / 8 and -7 / 8 are both 0.
    return std::clamp(position - delta / 8, 0, std::max(0, maximum));
}

QString buildMessageText(const QString& buildStamp, const QString& versionText)
{
    return QStringLiteral("Build ") + buildStamp + u' ' + versionText;
}

} // namespace kuvaro

using namespace kuvaro;

namespace {

// The label of the instructions picture. The scroll area asks it for its size
// hints whenever it lays out, and a label without text measures a line of its
// font for them, which loaded the dialog's font at start-up for a label that
// never shows text. Its size is fixed; so are its hints.
class PictureLabel : public QLabel
{
public:
    QSize sizeHint() const override { return minimumSize(); }
    QSize minimumSizeHint() const override { return minimumSize(); }
};

} // namespace

TLizForm::TLizForm(const QString& buildStamp, QWidget* parent)
    : QDialog(parent, FixedDialogFlags),
      m_buildStamp(buildStamp)
{
    setObjectName(QStringLiteral("LizForm"));
    setModal(true);
    setBackground(this, clSilver);
    setFixedSize(711, 600);
    setFont(msSansSerifFont(11));
    setWindowTitle(QStringLiteral("  Bedienung und Lizenzvereinbarung"));

    VersionNameLabel = makeLabel(this, {"VersionNameLabel", QRect(16, 22, 681, 20), QString(), Qt::AlignCenter,
                                        clRedBand, tahomaFont(13)});
    setLabelFontColor(VersionNameLabel, clWhite);
    VersionNameLabel->installEventFilter(this);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setGeometry(16, 48, 680, 480);
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setFocusPolicy(Qt::StrongFocus);
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setBackground(ScrollBox1, clWhite);
    setBackground(ScrollBox1->viewport(), clWhite);

    Image1 = new PictureLabel;
    Image1->setObjectName(QStringLiteral("Image1"));
    // The picture is drawn when the dialog is first shown (FormShow), not
    // at start-up, where drawing its text took longer than all windows.
    Image1->setFixedSize(InstructionsWidth, InstructionsHeight);
    setBackground(Image1, clWhite);
    ScrollBox1->setWidget(Image1);
    Image1->move(0, 0);

    // Only this dialog's rule scrolls on the wheel: the scroll area's own
    // handling (on the viewport, the area and its bars) never sees the event.
    ScrollBox1->installEventFilter(this);
    ScrollBox1->viewport()->installEventFilter(this);
    ScrollBox1->verticalScrollBar()->installEventFilter(this);
    ScrollBox1->horizontalScrollBar()->installEventFilter(this);

    CloseBtn = new QPushButton(QStringLiteral("&Schließen"), this);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
    CloseBtn->setGeometry(296, 551, 97, 25);
    CloseBtn->setFont(msSansSerifFont(13));
    connect(CloseBtn, &QPushButton::clicked, this, guard(this, &TLizForm::CloseBtnClick));

    setTabOrder(CloseBtn, ScrollBox1);
}

void TLizForm::setVisible(bool visible)
{
    // The first showing stands in the middle of the work area; later ones open
    // where the dialog was last, also after the user dragged it.
    if (visible && !m_placed) {
        m_placed = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            // The frame is not known before the first showing; the window that
            // opens the dialog has the same kind of frame.
            QSize frame(0, 0);
            if (const QWidget* opener = QApplication::activeWindow(); opener && opener != this)
                frame = opener->frameGeometry().size() - opener->size();
            const QSize outer = size() + frame;
            const QRect area = screen->availableGeometry();
            move(centredIn(outer, area));
        }
    }
    QDialog::setVisible(visible);
}

void TLizForm::FormShow()
{
    // Drawn at the screen's density, so the text is as sharp as the screen allows.
    if (Image1->pixmap().isNull() || Image1->pixmap().devicePixelRatio() != devicePixelRatioF())
        Image1->setPixmap(QPixmap::fromImage(instructionsPicture(devicePixelRatioF())));
    ScrollBox1->verticalScrollBar()->setValue(0);
    ScrollBox1->setFocus();
}

void TLizForm::showEvent(QShowEvent* event)
{
    guarded([this] { FormShow(); });
    QDialog::showEvent(event);
}

void TLizForm::ScrollBox1MouseWheel(int delta)
{
    QScrollBar* bar = ScrollBox1->verticalScrollBar();
    bar->setValue(wheelScrollPosition(bar->value(), delta, bar->maximum()));
}

void TLizForm::VersionNameLabelMouseDown(Qt::MouseButtons held, Qt::KeyboardModifiers modifiers)
{
    if (!(modifiers & Qt::ShiftModifier) || !(held & Qt::RightButton))
        return;
    ReadVersionText();
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), buildMessageText(m_buildStamp, VersionText),
                    QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    // No parent: the box centres itself on the screen, not over this dialog.
    box.exec();
}

void TLizForm::CloseBtnClick() { close(); }

void TLizForm::ReadVersionText()
{
    VersionText = readVersionText(QCoreApplication::applicationFilePath(), VersionText);
}

void TLizForm::keyPressEvent(QKeyEvent* event)
{
    // Only the close button and the close box end the dialog, not Escape.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TLizForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel && watched != VersionNameLabel) {
        guarded([&] { ScrollBox1MouseWheel(static_cast<QWheelEvent*>(event)->angleDelta().y()); });
        return true;
    }
    if (watched == VersionNameLabel &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        guarded([&] { VersionNameLabelMouseDown(mouse->buttons(), mouse->modifiers()); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
