#pragma once
// Answers the modal dialogs of a handler in the order a test expects them and
// records every dialog that came up: the program's message dialog (message or
// question), the save dialog and the error box. A dialog beyond the script is
// recorded as unexpected and closed, so a wrong flow fails instead of hanging.

#include "dialogs/Zeigenachricht.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>

namespace kuvaro::test {

class DialogScript
{
public:
    using Step = std::function<void(QWidget*)>;

    DialogScript()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }

    DialogScript& then(Step step)
    {
        m_steps.push_back(std::move(step));
        return *this;
    }

    // "question: <text>", "message: <text>", "file: <title>", "error: <text>", "other: <class>";
    // dialogs beyond the script carry the prefix "unexpected ".
    QStringList seen;
    bool allUsed() const { return m_steps.empty(); }

    static QString describe(QWidget* w)
    {
        if (auto* m = qobject_cast<TZeigeNachrichtForm*>(w))
            return (m->MessageMode == ModeJaNein ? QStringLiteral("question: ") : QStringLiteral("message: ")) +
                   m->MessageText;
        if (auto* f = qobject_cast<QFileDialog*>(w))
            return QStringLiteral("file: ") + f->windowTitle();
        if (auto* b = qobject_cast<QMessageBox*>(w))
            return (b->icon() == QMessageBox::Critical ? QStringLiteral("error: ") : QStringLiteral("box: ")) +
                   b->text();
        return QStringLiteral("other: ") + QString::fromLatin1(w->metaObject()->className());
    }

    static void dismiss(QWidget* w)
    {
        if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
        else
            w->close();
    }

    // ------------------------------------------------------------ the steps

    static Step clickJa()
    {
        return [](QWidget* w) {
            if (auto* m = qobject_cast<TZeigeNachrichtForm*>(w))
                m->JaBtn->click();
            else
                dismiss(w);
        };
    }

    // "Nein" of a question, "OK" of a message.
    static Step clickNein()
    {
        return [](QWidget* w) {
            if (auto* m = qobject_cast<TZeigeNachrichtForm*>(w))
                m->NeinBtn->click();
            else
                dismiss(w);
        };
    }

    static Step closeBox()
    {
        return [](QWidget* w) { w->close(); };
    }

    static Step okError()
    {
        return [](QWidget* w) {
            if (auto* b = qobject_cast<QMessageBox*>(w); b && b->button(QMessageBox::Ok))
                b->button(QMessageBox::Ok)->click();
            else
                dismiss(w);
        };
    }

    // Types the name into the file name field and presses the dialog's accept
    // button. `proposed`, when given, receives the name field as the dialog came up.
    static Step saveAs(const QString& name, QString* proposed = nullptr, QString* proposedDir = nullptr)
    {
        return [name, proposed, proposedDir](QWidget* w) {
            auto* f = qobject_cast<QFileDialog*>(w);
            auto* edit = f ? f->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
            auto* box = f ? f->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox")) : nullptr;
            if (!edit || !box) {
                dismiss(w);
                return;
            }
            if (proposed)
                *proposed = edit->text();
            if (proposedDir)
                *proposedDir = f->directory().absolutePath();
            edit->setText(name);
            QPushButton* accept = box->button(QDialogButtonBox::Save);
            if (!accept)
                accept = box->button(QDialogButtonBox::Open);
            if (accept && accept->isEnabled())
                accept->click();
            else
                dismiss(w);
        };
    }

    // Accepts what the dialog proposes, without typing.
    static Step acceptProposal(QString* proposed = nullptr)
    {
        return [proposed](QWidget* w) {
            auto* f = qobject_cast<QFileDialog*>(w);
            auto* edit = f ? f->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
            auto* box = f ? f->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox")) : nullptr;
            if (proposed && edit)
                *proposed = edit->text();
            QPushButton* accept = box ? box->button(QDialogButtonBox::Save) : nullptr;
            if (accept && accept->isEnabled())
                accept->click();
            else
                dismiss(w);
        };
    }

    static Step cancelFile()
    {
        return [](QWidget* w) { dismiss(w); };
    }

private:
    void poll()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || w == m_handled)
            return;
        m_handled = w;
        const QString what = describe(w);
        if (m_steps.empty()) {
            seen << QStringLiteral("unexpected ") + what;
            dismiss(w);
        } else {
            seen << what;
            Step step = std::move(m_steps.front());
            m_steps.pop_front();
            step(w);
        }
        // A dialog that the step closed may come up again (the same message dialog twice in a row).
        if (m_handled && !m_handled->isVisible())
            m_handled = nullptr;
    }

    QTimer m_timer;
    std::deque<Step> m_steps;
    QPointer<QWidget> m_handled;
};

} // namespace kuvaro::test
