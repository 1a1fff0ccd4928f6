#include "dialogs/Zeigenachricht.h"

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/Controls.h"
#include "app/Fonts.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

using namespace kuvaro;

TZeigeNachrichtForm::TZeigeNachrichtForm(int& answerCell, QWidget* parent)
    : QDialog(parent, FixedDialogFlags),
      m_answer(answerCell)
{
    setObjectName(QStringLiteral("ZeigeNachrichtForm"));
    setModal(true);
    setBackground(this, clSilver);
    setFixedSize(235, 172);

    NeinBtn = new QPushButton(QStringLiteral("Nein"), this);
    NeinBtn->setObjectName(QStringLiteral("NeinBtn"));
    NeinBtn->setGeometry(121, 127, MessageButtonWidth, MessageButtonHeight);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(MessageLabelLeft, MessageLabelTop, 201, 105);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    Label1->setTextFormat(Qt::PlainText);
    setLabelColor(Label1, clWhite);

    JaBtn = new QPushButton(QStringLiteral("Ja"), this);
    JaBtn->setObjectName(QStringLiteral("JaBtn"));
    JaBtn->setGeometry(40, 127, MessageButtonWidth, MessageButtonHeight);

    // "Nein" first in the tab order; neither button is a default button.
    setTabOrder(NeinBtn, JaBtn);

    // The caption is two blanks and the application title as it stands now.
    setWindowTitle(QStringLiteral("  ") + applicationTitle());
    const QFont font = tahomaFont(13);
    Label1->setFont(font);
    setFont(font);
    JaBtn->setFont(font);
    NeinBtn->setFont(font);

    connect(JaBtn, &QPushButton::clicked, this, guard(this, &TZeigeNachrichtForm::JaBtnClick));
    connect(NeinBtn, &QPushButton::clicked, this, guard(this, &TZeigeNachrichtForm::NeinBtnClick));
}

int TZeigeNachrichtForm::ShowMessageText(const QString& text) { return ShowMessageMode(text, ModeOk); }

int TZeigeNachrichtForm::ShowMessageMode(const QString& text, int mode)
{
    if (isVisible()) {
        m_answer = AnswerNone;
        return AnswerNone;
    }
    MessageMode = mode;
    MessageText = text;
    exec();
    return m_answer;
}

void TZeigeNachrichtForm::FormShow()
{
    const QString shown = messageShownText(MessageText);
    const QFontMetrics metrics(Label1->font());
    QList<int> widths;
    for (const QString& line : messageMeasuredLines(shown))
        widths.append(metrics.horizontalAdvance(line));
    const MessageLayout l = computeMessageLayout(widths, MessageMode);

    Label1->setText(shown);
    Label1->resize(l.labelWidth, l.labelHeight);
    setFixedSize(l.clientWidth, l.clientHeight);
    NeinBtn->setText(l.neinCaption);
    NeinBtn->move(l.neinLeft, l.buttonTop);
    JaBtn->setVisible(l.jaVisible);
    if (l.jaVisible) {
        JaBtn->setText(QStringLiteral("Ja"));
        JaBtn->move(l.jaLeft, l.buttonTop);
    }

    // Centred on the screen at its new size.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(centredIn(QSize(l.clientWidth, l.clientHeight), area));
    }
    NeinBtn->setFocus();
    m_answer = AnswerNone;
}

void TZeigeNachrichtForm::JaBtnClick()
{
    m_answer = AnswerJa;
    close();
}

void TZeigeNachrichtForm::NeinBtnClick()
{
    m_answer = AnswerNein;
    close();
}

void TZeigeNachrichtForm::showEvent(QShowEvent* event)
{
    guarded([this] { FormShow(); });
    QDialog::showEvent(event);
}

void TZeigeNachrichtForm::keyPressEvent(QKeyEvent* event)
{
    // Escape does nothing here; Enter presses the focused button (the buttons handle it).
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
