#pragma once
// Drives the main window as a user would: a generated picture, presses and
// moves over the picture view, and the modal dialogs that the handlers open
// answered from timers. Every message, error box and unexpected dialog is
// recorded, so a test can state exactly which ones appeared.

#include "app/Main.h"
#include "app/Startup.h"
#include "dialogs/Inputmessage.h"
#include "dialogs/Zeigenachricht.h"
#include "view/PictureView.h"
#include "view/TImage.h"

#include <QApplication>
#include <QColorDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <deque>
#include <functional>
#include <memory>

namespace kuvaro::test {

// Each driver answers only the dialogs of its own windows, so two drivers can
// live side by side.
//
// Hands each modal widget that comes up to a handler, once per showing, while
// it lives. The handler returns false for widgets it does not answer. Each
// responder has its own timer, so a dialog that a handler opens on top of
// another (a message over the input dialog) is answered by another responder.
class Responder
{
public:
    explicit Responder(std::function<bool(QWidget*)> handler) : m_handler(std::move(handler))
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }

private:
    void poll()
    {
        if (m_last && !m_last->isVisible())
            m_last = nullptr;
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || w == m_last)
            return;
        // A dialog the handler left open is not handed over again; one it closed
        // may come up again before the next poll.
        if (m_handler(w) && w->isVisible())
            m_last = w;
    }

    std::function<bool(QWidget*)> m_handler;
    QPointer<QWidget> m_last;
    QTimer m_timer;
};

// A picture with a gentle pattern: no pixel has a colour that the program draws with.
inline QImage patternPicture(QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            img.setPixel(x, y, qRgb(150 + x % 80, 150 + y % 80, 190 + (x + y) % 50));
    return img;
}

// What the user does with the calibration input dialog when it comes up.
struct InputAnswer
{
    enum How { Accept, CloseByWindowSystem, AbortJa, AbortNein, Script };
    QString x;
    QString y;
    How how = Accept;
    // For Script: does what the test wants; a dialog it leaves open is closed by the window system.
    std::function<void(TInputMessageForm*)> script = {};
};

class FormDriver
{
public:
    Forms forms;
    TMainForm* form = nullptr;
    TInputMessageForm* input = nullptr;

    // Texts of the message dialogs and error boxes, in the order they came up.
    QStringList messages;
    QStringList errors;
    // Dialogs that came up without the test expecting them.
    QStringList unexpected;
    // Answers for the coming message dialogs; an empty queue answers "OK"/"Nein".
    std::deque<int> messageAnswers;
    // Answers for the coming input dialogs, in order.
    std::deque<InputAnswer> inputAnswers;
    // Where the input dialog stood when it came up, each time.
    QList<QPoint> inputPositions;
    // The main window's prompt line when the input dialog came up, each time.
    QStringList inputPrompts;
    // What the two edits showed when the input dialog came up, each time.
    QList<QStringList> entriesShown;
    // Whether the input dialog was still open after its abort was answered "Nein".
    bool openAfterAbortNein = false;
    // Colours to choose in the coming colour dialogs (confirmed); an invalid colour cancels.
    std::deque<QColor> colours;

    explicit FormDriver(QSize panel = QSize(1490, 807))
    {
        forms = createForms();
        form = forms.mainForm.get();
        input = forms.inputMessageForm.get();
        form->show();
        // The offscreen screen is small; the frame gets the size the examples
        // assume, so a 739 x 300 picture is shown at scale 2.
        form->Panel1->resize(panel);
        m_responders.push_back(std::make_unique<Responder>([this](QWidget* w) { return answerMessage(w); }));
        m_responders.push_back(std::make_unique<Responder>([this](QWidget* w) { return answerError(w); }));
        m_responders.push_back(std::make_unique<Responder>([this](QWidget* w) { return answerInput(w); }));
        m_responders.push_back(std::make_unique<Responder>([this](QWidget* w) { return answerColour(w); }));
    }

    ~FormDriver()
    {
        m_responders.clear();
        // QTest keeps its own record of held buttons; leave none held for the next test.
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton})
            if (m_held & b)
                QTest::mouseRelease(form->Image1, b, {}, QPoint(1, 1));
    }

    void load(QSize size = QSize(739, 300))
    {
        picture = patternPicture(size);
        form->SetPicture(picture, QStringLiteral("/tmp/diagramm.bmp"));
    }

    QImage picture;

    // A real press and release over the picture view.
    void click(Qt::MouseButton button, int x, int y)
    {
        press(button, x, y);
        release(button, x, y);
    }
    void press(Qt::MouseButton button, int x, int y)
    {
        m_held |= button;
        QTest::mousePress(form->Image1, button, {}, QPoint(x, y));
    }
    void release(Qt::MouseButton button, int x, int y)
    {
        m_held &= ~Qt::MouseButtons(button);
        QTest::mouseRelease(form->Image1, button, {}, QPoint(x, y));
    }
    void right(int x, int y) { click(Qt::RightButton, x, y); }
    void left(int x, int y) { click(Qt::LeftButton, x, y); }

    // A real mouse movement over the picture view with nothing held.
    void move(int x, int y, Qt::MouseButtons held = Qt::NoButton)
    {
        QMouseEvent ev(QEvent::MouseMove, QPointF(x, y), form->Image1->mapToGlobal(QPointF(x, y)), Qt::NoButton, held,
                       Qt::NoModifier);
        QApplication::sendEvent(form->Image1, &ev);
    }

    // The three calibration presses; the input dialog gets the two entries.
    void calibrate(const QString& dx, const QString& dy, QPoint origin = {100, 400}, QPoint xAxis = {700, 380},
                   QPoint yAxis = {120, 50})
    {
        right(origin.x(), origin.y());
        right(xAxis.x(), xAxis.y());
        inputAnswers.push_back({dx, dy, InputAnswer::Accept});
        right(yAxis.x(), yAxis.y());
    }

    // A left press on the colour swatch; the colour dialog gets the colour (invalid: cancelled).
    void chooseColour(const QColor& colour)
    {
        colours.push_back(colour);
        QTest::mousePress(form->LinienFarbeLabel, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(form->LinienFarbeLabel, Qt::LeftButton, {}, QPoint(5, 5));
    }

    // The working bitmap's pixel at a view position.
    QRgb pixelAtView(int x, int y) const
    {
        return form->Image1->Picture.pixel(form->ViewToPixel(x), form->ViewToPixel(y));
    }

private:
    bool answerMessage(QWidget* w)
    {
        auto* d = qobject_cast<TZeigeNachrichtForm*>(w);
        if (!d || d != forms.zeigeNachrichtForm.get())
            return false;
        messages << d->MessageText;
        int answer = 0;
        if (!messageAnswers.empty()) {
            answer = messageAnswers.front();
            messageAnswers.pop_front();
        }
        QTest::mouseClick(answer == 1 ? d->JaBtn : d->NeinBtn, Qt::LeftButton);
        return true;
    }

    bool answerError(QWidget* w)
    {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box)
            return false;
        errors << box->text();
        box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->accept();
        return true;
    }

    bool answerInput(QWidget* w)
    {
        auto* d = qobject_cast<TInputMessageForm*>(w);
        if (!d || d != input)
            return false;
        inputPositions << d->frameGeometry().topLeft();
        inputPrompts << form->Label4->text();
        if (inputAnswers.empty()) {
            unexpected << QStringLiteral("input dialog");
            d->close();
            return true;
        }
        const InputAnswer a = inputAnswers.front();
        inputAnswers.pop_front();
        entriesShown << QStringList{d->InputEdit1->text(), d->InputEdit2->text()};
        if (a.how == InputAnswer::Script) {
            a.script(d);
            if (d->isVisible())
                d->close();
            return true;
        }
        d->InputEdit1->setText(a.x);
        d->InputEdit2->setText(a.y);
        switch (a.how) {
        case InputAnswer::Accept:
            QTest::mouseClick(d->UebernehmenBtn, Qt::LeftButton);
            if (d->isVisible()) {
                unexpected << QStringLiteral("input dialog stayed open");
                d->close();
            }
            break;
        case InputAnswer::CloseByWindowSystem:
            // An entry accepted before the close comes back; then the close request.
            QTest::mouseClick(d->UebernehmenBtn, Qt::LeftButton);
            if (d->isVisible())
                d->close();
            break;
        case InputAnswer::AbortJa:
            if (!a.x.isEmpty() || !a.y.isEmpty())
                QTest::mouseClick(d->UebernehmenBtn, Qt::LeftButton);
            messageAnswers.push_back(1);
            QTest::mouseClick(d->DelZeileSBtn, Qt::LeftButton);
            if (d->isVisible()) {
                unexpected << QStringLiteral("input dialog stayed open after the abort");
                d->close();
            }
            break;
        case InputAnswer::Script:
            break;
        case InputAnswer::AbortNein:
            // "Nein" leaves the dialog open; the entries are accepted afterwards.
            messageAnswers.push_back(0);
            QTest::mouseClick(d->DelZeileSBtn, Qt::LeftButton);
            openAfterAbortNein = d->isVisible();
            QTest::mouseClick(d->UebernehmenBtn, Qt::LeftButton);
            if (d->isVisible())
                d->close();
            break;
        }
        return true;
    }

    bool answerColour(QWidget* w)
    {
        auto* d = qobject_cast<QColorDialog*>(w);
        if (!d || d->parentWidget() != form)
            return false;
        if (colours.empty()) {
            unexpected << QStringLiteral("colour dialog");
            d->reject();
            return true;
        }
        const QColor c = colours.front();
        colours.pop_front();
        if (!c.isValid()) {
            d->reject();
            return true;
        }
        d->setCurrentColor(c);
        d->accept();
        return true;
    }

    std::vector<std::unique_ptr<Responder>> m_responders;
    Qt::MouseButtons m_held;
};

} // namespace kuvaro::test
