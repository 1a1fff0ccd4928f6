#include "dialogs/Inputmessage.h"

#include "app/Application.h"
#include "app/ErrorBox.h"
#include "app/Controls.h"
#include "app/Fonts.h"
#include "dialogs/NumericText.h"
#include "dialogs/Zeigenachricht.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace kuvaro;

namespace {

// At most six characters can be typed; a longer text given by the caller is shown whole.
constexpr int TypedLimit = 6;

QLineEdit* makeEdit(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(geometry);
    edit->setFont(arialFont(13));
    edit->setMaxLength(TypedLimit);
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    edit->setPalette(p);
    return edit;
}

void setHeldText(QLineEdit* edit, const QString& text)
{
    edit->setMaxLength(std::max<int>(TypedLimit, int(text.size())));
    edit->setText(text);
}

} // namespace

TInputMessageForm::TInputMessageForm(TZeigeNachrichtForm* messages, std::function<void()> onAbort, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_messages(messages), m_onAbort(std::move(onAbort))
{
    setObjectName(QStringLiteral("InputMessageForm"));
    setModal(true);
    setBackground(this, clSilver);
    setFixedSize(366, 86);
    setFont(tahomaFont(11));
    setWindowTitle(applicationTitle());
}

void TInputMessageForm::buildControls()
{
    if (Label4)
        return;
    const QFont band = tahomaFont(13);
    Label4 = makeLabel(this, {"Label4", QRect(26, 14, 96, 22), QStringLiteral("   x1 - xo"), Qt::AlignLeft,
                              clRedBand, band});
    setLabelFontColor(Label4, clWhite);
    Label1 = makeLabel(this, {"Label1", QRect(128, 14, 96, 22), QStringLiteral("   y1 - yo"), Qt::AlignLeft,
                              clRedBand, band});
    setLabelFontColor(Label1, clWhite);

    InputEdit1 = makeEdit(this, "InputEdit1", QRect(26, 42, 96, 22));

    UebernehmenBtn = new QPushButton(QStringLiteral("Übernehmen "), this);
    UebernehmenBtn->setObjectName(QStringLiteral("UebernehmenBtn"));
    UebernehmenBtn->setGeometry(233, 42, 97, 24);
    UebernehmenBtn->setFont(tahomaFont(13));
    UebernehmenBtn->setAutoDefault(false);

    InputEdit2 = makeEdit(this, "InputEdit2", QRect(128, 42, 96, 22));

    DelZeileSBtn = new QToolButton(this);
    DelZeileSBtn->setObjectName(QStringLiteral("DelZeileSBtn"));
    DelZeileSBtn->setText(QStringLiteral("X"));
    DelZeileSBtn->setGeometry(332, 43, 22, 22);
    DelZeileSBtn->setFocusPolicy(Qt::NoFocus);
    DelZeileSBtn->setAutoRaise(true);
    DelZeileSBtn->setFont(msSansSerifFont(11, true));
    QPalette red = DelZeileSBtn->palette();
    red.setColor(QPalette::ButtonText, toQColor(0x0000FF));
    DelZeileSBtn->setPalette(red);

    setTabOrder(InputEdit1, UebernehmenBtn);
    setTabOrder(UebernehmenBtn, InputEdit2);

    connect(UebernehmenBtn, &QPushButton::clicked, this, guard(this, &TInputMessageForm::UebernehmenBtnClick));
    connect(DelZeileSBtn, &QToolButton::clicked, this, guard(this, &TInputMessageForm::DelZeileSBtnClick));
}

void TInputMessageForm::setVisible(bool visible)
{
    // Built before the dialog appears, so they appear with it.
    if (visible)
        buildControls();
    QDialog::setVisible(visible);
}

void TInputMessageForm::FormShow()
{
    setHeldText(InputEdit1, XdiffText);
    setHeldText(InputEdit2, YdiffText);
    (FocusEdit == 2 ? InputEdit2 : InputEdit1)->setFocus();
}

bool TInputMessageForm::acceptEntry(QLineEdit* edit, QString& held)
{
    const QString text = edit->text();
    if (text.isEmpty())
        return true;
    if (IsNumericText(text)) {
        held = acceptedDiffText(text);
        return true;
    }
    m_messages->ShowMessageText(QStringLiteral("Gib einen Zahlenwert ein !"));
    edit->setFocus();
    return false;
}

void TInputMessageForm::UebernehmenBtnClick()
{
    const bool firstOk = acceptEntry(InputEdit1, XdiffText);
    const bool secondOk = acceptEntry(InputEdit2, YdiffText);
    const bool bothFilled = !InputEdit1->text().isEmpty() && !InputEdit2->text().isEmpty();
    if (firstOk && secondOk && bothFilled)
        accept();
}

void TInputMessageForm::DelZeileSBtnClick()
{
    if (m_messages->ShowMessageMode(QStringLiteral("Kalibrierung abbrechen ?"), ModeJaNein) != AnswerJa)
        return;
    if (m_onAbort)
        m_onAbort();
    reject();
}

void TInputMessageForm::showEvent(QShowEvent* event)
{
    guarded([this] { FormShow(); });
    QDialog::showEvent(event);
}

void TInputMessageForm::keyPressEvent(QKeyEvent* event)
{
    // Enter and Escape do nothing in this dialog.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
