#pragma once
// Answers the modal dialogs that come up while a test acts, in the order the
// test expects them, and records every one: the program's message dialog
// (message or question), the calibration input dialog, the file and colour
// dialogs and Qt's message boxes (the error box among them). A dialog beyond
// the script is recorded as unexpected and closed, so a wrong flow fails
// instead of hanging.
//
// The script polls from a timer that belongs to it: nothing is answered once
// the object is gone, so a test that owns its script (or a driver holding one)
// cannot answer a later test's dialog.

#include <QColor>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>

class TInputMessageForm;

namespace kuvaro::test {

class DialogScript
{
public:
    // Answers one dialog. A dialog that the step leaves open is recorded as
    // unexpected and closed.
    using Step = std::function<void(QWidget*)>;

    DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    // The step for the next dialog that comes up.
    DialogScript& then(Step step);

    // Only the dialogs for which `ours` holds are answered and recorded; the
    // others are left to whoever shows them (a window the test shows itself,
    // the dialogs of another driver's windows).
    void answerOnly(std::function<bool(QWidget*)> ours);
    // For a dialog beyond the script: `answer` returns the step for one that is
    // a normal outcome of the flow, or no step for one that is unexpected.
    void otherwise(std::function<Step(QWidget*)> answer);
    // Called for each of our dialogs as it comes up, before it is answered.
    void onShown(std::function<void(QWidget*)> look);

    // Polling runs from construction on; a script kept from one test function
    // to the next is stopped in between.
    void start();
    void stop();

    // "question: <text>", "message: <text>", "file: <title>", "error: <text>",
    // "box: <text>", "input dialog", "colour dialog", "other: <class>"; dialogs
    // beyond the script carry the prefix "unexpected ", and a dialog that its
    // step left open is noted again as "unexpected still open: ...".
    QStringList seen;
    // `seen`, emptied for the next part of a test.
    QStringList takeSeen();
    // The texts of the message dialogs (messages and questions), of the error
    // boxes, and the unexpected entries, in the order they came up.
    QStringList messages() const;
    QStringList errors() const;
    QStringList unexpected() const;
    // Whether every step has been used.
    bool allUsed() const { return m_steps.empty(); }

    static QString describe(QWidget* w);
    // Rejects a dialog, closes any other window.
    static void dismiss(QWidget* w);

    // ------------------------------------------------------------ the steps

    // "Ja" of a question.
    static Step clickJa();
    // "Nein" of a question, "OK" of a message.
    static Step clickNein();
    // The frame's close box of the message dialog.
    static Step closeBox();
    // "OK" of a Qt message box: the error box, the build message.
    static Step okMessageBox();

    // Types the name (or a whole path) into the file dialog's name field and
    // presses its accept button. `proposed` and `proposedDir`, when given, receive the name field
    // and the folder as the dialog came up.
    static Step typeFileName(const QString& name, QString* proposed = nullptr, QString* proposedDir = nullptr);
    // Accepts the name the file dialog proposes, without typing.
    static Step acceptProposal(QString* proposed = nullptr, QString* proposedDir = nullptr);
    static Step cancelFile();

    // Chooses the colour in the colour dialog; an invalid colour cancels it.
    static Step chooseColour(const QColor& colour);

    // Enters the two differences into the calibration input dialog and
    // presses "Übernehmen ", which must close it.
    static Step answerInput(const QString& x, const QString& y);
    // Runs `act` in the calibration input dialog; a dialog it leaves open is
    // then closed as the window system closes it.
    static Step inInput(std::function<void(TInputMessageForm*)> act);
    // Enters the differences, presses "Übernehmen " and closes the dialog by
    // the window system, with a difference still missing.
    static Step answerInputAndClose(const QString& x, const QString& y);
    // Enters the differences (pressing "Übernehmen " when there is any) and
    // presses "X"; the question that follows is the next step.
    static Step abortInput(const QString& x, const QString& y);

private:
    void poll();
    void answer(QPointer<QWidget> w, const QString& what, const Step& step);

    QTimer m_timer;
    // Context of the queued answers: a script that is gone answers nothing.
    QObject m_context;
    std::deque<Step> m_steps;
    std::function<bool(QWidget*)> m_ours;
    std::function<Step(QWidget*)> m_otherwise;
    std::function<void(QWidget*)> m_onShown;
    // The dialogs whose answer is under way; a dialog an answer opens on top
    // of another is answered while they wait.
    QList<QPointer<QWidget>> m_answering;
};

} // namespace kuvaro::test
