#include "common/DialogScript.h"

#include "dialogs/Inputmessage.h"
#include "dialogs/Zeigenachricht.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace kuvaro::test {

namespace {

const QString Unexpected = QStringLiteral("unexpected ");

// The entries of `seen` that start with one of the prefixes, without it.
QStringList textsAfter(const QStringList& seen, std::initializer_list<QString> prefixes)
{
    QStringList out;
    for (const QString& s : seen)
        for (const QString& p : prefixes)
            if (s.startsWith(p))
                out << s.mid(p.size());
    return out;
}

QLineEdit* fileNameEdit(QFileDialog* f) { return f->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

// The file dialog's "Speichern" or "Öffnen" button.
QPushButton* acceptButton(QFileDialog* f)
{
    auto* box = f->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    if (!box)
        return nullptr;
    QPushButton* accept = box->button(QDialogButtonBox::Save);
    return accept ? accept : box->button(QDialogButtonBox::Open);
}

void pressAccept(QFileDialog* f)
{
    QPushButton* accept = acceptButton(f);
    if (accept && accept->isEnabled())
        accept->click();
    else
        DialogScript::dismiss(f);
}

// A step for the message dialog; any other dialog is dismissed.
DialogScript::Step onMessage(QPushButton* TZeigeNachrichtForm::*button)
{
    return [button](QWidget* w) {
        if (auto* m = qobject_cast<TZeigeNachrichtForm*>(w))
            QTest::mouseClick(m->*button, Qt::LeftButton);
        else
            DialogScript::dismiss(w);
    };
}

void fillIn(TInputMessageForm* d, const QString& x, const QString& y)
{
    d->InputEdit1->setText(x);
    d->InputEdit2->setText(y);
}

} // namespace

DialogScript::DialogScript()
{
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, &m_context, [this] { poll(); });
    m_timer.start();
}

DialogScript& DialogScript::then(Step step)
{
    m_steps.push_back(std::move(step));
    return *this;
}

void DialogScript::answerOnly(std::function<bool(QWidget*)> ours) { m_ours = std::move(ours); }

void DialogScript::otherwise(std::function<Step(QWidget*)> answer) { m_otherwise = std::move(answer); }

void DialogScript::onShown(std::function<void(QWidget*)> look) { m_onShown = std::move(look); }

void DialogScript::start() { m_timer.start(); }

void DialogScript::stop() { m_timer.stop(); }

QStringList DialogScript::takeSeen()
{
    QStringList out;
    out.swap(seen);
    return out;
}

QStringList DialogScript::messages() const
{
    return textsAfter(seen, {QStringLiteral("message: "), QStringLiteral("question: ")});
}

QStringList DialogScript::errors() const { return textsAfter(seen, {QStringLiteral("error: ")}); }

QStringList DialogScript::unexpected() const
{
    QStringList out;
    for (const QString& s : seen)
        if (s.startsWith(Unexpected))
            out << s;
    return out;
}

QString DialogScript::describe(QWidget* w)
{
    if (auto* m = qobject_cast<TZeigeNachrichtForm*>(w))
        return (m->MessageMode == ModeJaNein ? QStringLiteral("question: ") : QStringLiteral("message: ")) +
               m->MessageText;
    if (auto* f = qobject_cast<QFileDialog*>(w))
        return QStringLiteral("file: ") + f->windowTitle();
    if (auto* b = qobject_cast<QMessageBox*>(w))
        return (b->icon() == QMessageBox::Critical ? QStringLiteral("error: ") : QStringLiteral("box: ")) + b->text();
    if (qobject_cast<TInputMessageForm*>(w))
        return QStringLiteral("input dialog");
    if (qobject_cast<QColorDialog*>(w))
        return QStringLiteral("colour dialog");
    return QStringLiteral("other: ") + QString::fromLatin1(w->metaObject()->className());
}

void DialogScript::dismiss(QWidget* w)
{
    if (auto* d = qobject_cast<QDialog*>(w))
        d->reject();
    else
        w->close();
}

void DialogScript::poll()
{
    QWidget* w = QApplication::activeModalWidget();
    if (!w || !w->isVisible() || m_answering.contains(w) || (m_ours && !m_ours(w)))
        return;
    m_answering << w;
    if (m_onShown)
        m_onShown(w);
    const QString what = describe(w);
    Step step;
    if (!m_steps.empty()) {
        step = std::move(m_steps.front());
        m_steps.pop_front();
    } else if (m_otherwise) {
        step = m_otherwise(w);
    }
    if (step) {
        seen << what;
    } else {
        seen << Unexpected + what;
        step = dismiss;
    }
    // The answer runs from the event loop, not from this timer's handler: a
    // timer does not fire again while its handler runs, and the answer may
    // open another dialog (the question over the input dialog) that this
    // script must answer too.
    QMetaObject::invokeMethod(
        &m_context, [this, guarded = QPointer<QWidget>(w), what, step] { answer(guarded, what, step); },
        Qt::QueuedConnection);
}

void DialogScript::answer(QPointer<QWidget> w, const QString& what, const Step& step)
{
    if (w && w->isVisible()) {
        step(w);
        if (w && w->isVisible()) {
            seen << Unexpected + QStringLiteral("still open: ") + what;
            dismiss(w);
        }
    }
    // Once answered, the same dialog may come up again (the message dialog twice in a row).
    m_answering.removeAll(w);
}

// ---------------------------------------------------------------- the steps

DialogScript::Step DialogScript::clickJa() { return onMessage(&TZeigeNachrichtForm::JaBtn); }

DialogScript::Step DialogScript::clickNein() { return onMessage(&TZeigeNachrichtForm::NeinBtn); }

DialogScript::Step DialogScript::closeBox()
{
    return [](QWidget* w) { w->close(); };
}

DialogScript::Step DialogScript::okMessageBox()
{
    return [](QWidget* w) {
        if (auto* b = qobject_cast<QMessageBox*>(w); b && b->button(QMessageBox::Ok))
            b->button(QMessageBox::Ok)->click();
        else
            dismiss(w);
    };
}

DialogScript::Step DialogScript::typeFileName(const QString& name, QString* proposed, QString* proposedDir)
{
    return [name, proposed, proposedDir](QWidget* w) {
        auto* f = qobject_cast<QFileDialog*>(w);
        QLineEdit* edit = f ? fileNameEdit(f) : nullptr;
        if (!edit) {
            dismiss(w);
            return;
        }
        if (proposed)
            *proposed = edit->text();
        if (proposedDir)
            *proposedDir = f->directory().absolutePath();
        edit->setText(name);
        pressAccept(f);
    };
}

DialogScript::Step DialogScript::acceptProposal(QString* proposed, QString* proposedDir)
{
    return [proposed, proposedDir](QWidget* w) {
        auto* f = qobject_cast<QFileDialog*>(w);
        if (!f) {
            dismiss(w);
            return;
        }
        if (proposed && fileNameEdit(f))
            *proposed = fileNameEdit(f)->text();
        if (proposedDir)
            *proposedDir = f->directory().absolutePath();
        pressAccept(f);
    };
}

DialogScript::Step DialogScript::cancelFile()
{
    return [](QWidget* w) { dismiss(w); };
}

DialogScript::Step DialogScript::chooseColour(const QColor& colour)
{
    return [colour](QWidget* w) {
        auto* d = qobject_cast<QColorDialog*>(w);
        if (!d || !colour.isValid()) {
            dismiss(w);
            return;
        }
        d->setCurrentColor(colour);
        d->accept();
    };
}

DialogScript::Step DialogScript::inInput(std::function<void(TInputMessageForm*)> act)
{
    return [act](QWidget* w) {
        if (auto* d = qobject_cast<TInputMessageForm*>(w)) {
            act(d);
            if (d->isVisible())
                d->close();
        } else {
            dismiss(w);
        }
    };
}

DialogScript::Step DialogScript::answerInput(const QString& x, const QString& y)
{
    return [x, y](QWidget* w) {
        if (auto* d = qobject_cast<TInputMessageForm*>(w)) {
            fillIn(d, x, y);
            QTest::mouseClick(d->UebernehmenBtn, Qt::LeftButton);
        } else {
            dismiss(w);
        }
    };
}

DialogScript::Step DialogScript::answerInputAndClose(const QString& x, const QString& y)
{
    // An entry accepted before the close comes back; then the close request.
    return inInput([x, y](TInputMessageForm* d) {
        fillIn(d, x, y);
        QTest::mouseClick(d->UebernehmenBtn, Qt::LeftButton);
    });
}

DialogScript::Step DialogScript::abortInput(const QString& x, const QString& y)
{
    return [x, y](QWidget* w) {
        if (auto* d = qobject_cast<TInputMessageForm*>(w)) {
            fillIn(d, x, y);
            if (!x.isEmpty() || !y.isEmpty())
                QTest::mouseClick(d->UebernehmenBtn, Qt::LeftButton);
            QTest::mouseClick(d->DelZeileSBtn, Qt::LeftButton);
        } else {
            dismiss(w);
        }
    };
}

} // namespace kuvaro::test
