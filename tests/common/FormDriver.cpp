#include "common/FormDriver.h"

#include "common/Pictures.h"
#include "dialogs/Lizenz.h"
#include "dialogs/Zeigenachricht.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTest>

namespace kuvaro::test {

FormDriver::FormDriver(QSize panel)
{
    forms = createForms();
    form = forms.mainForm.get();
    input = forms.inputMessageForm.get();
    form->show();
    form->Panel1->resize(panel);
    dialogs.answerOnly([this](QWidget* w) { return ours(w); });
    dialogs.otherwise([](QWidget* w) -> DialogScript::Step {
        if (qobject_cast<TZeigeNachrichtForm*>(w))
            return DialogScript::clickNein();
        if (qobject_cast<QMessageBox*>(w))
            return DialogScript::okMessageBox();
        return {};
    });
    dialogs.onShown([this](QWidget* w) { noteInput(w); });
}

FormDriver::~FormDriver()
{
    dialogs.stop();
    // QTest keeps its own record of held buttons; leave none held for the next test.
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton})
        if (m_held & b)
            QTest::mouseRelease(form->Image1, b, {}, QPoint(1, 1));
}

bool FormDriver::ours(QWidget* w) const
{
    if (w == forms.zeigeNachrichtForm.get() || w == input || w == forms.lizForm.get())
        return true;
    // The error box and the build message have no parent.
    if (qobject_cast<QMessageBox*>(w) && !w->parentWidget())
        return true;
    // The file and colour dialogs belong to the main window.
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (p == form)
            return true;
    return false;
}

void FormDriver::noteInput(QWidget* w)
{
    if (w != input)
        return;
    inputPositions << input->frameGeometry().topLeft();
    inputPrompts << form->Label4->text();
    entriesShown << QStringList{input->InputEdit1->text(), input->InputEdit2->text()};
}

QStringList FormDriver::files() const
{
    return QDir(folder.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
}

void FormDriver::load(QSize size)
{
    picture = patternPicture(size);
    form->SetPicture(picture, QStringLiteral("/tmp/diagramm.bmp"));
}

void FormDriver::click(Qt::MouseButton button, int x, int y)
{
    press(button, x, y);
    release(button, x, y);
}

void FormDriver::press(Qt::MouseButton button, int x, int y)
{
    m_held |= button;
    QTest::mousePress(form->Image1, button, {}, QPoint(x, y));
}

void FormDriver::release(Qt::MouseButton button, int x, int y)
{
    m_held &= ~Qt::MouseButtons(button);
    QTest::mouseRelease(form->Image1, button, {}, QPoint(x, y));
}

void FormDriver::move(int x, int y, Qt::MouseButtons held)
{
    QMouseEvent ev(QEvent::MouseMove, QPointF(x, y), form->Image1->mapToGlobal(QPointF(x, y)), Qt::NoButton, held,
                   Qt::NoModifier);
    QApplication::sendEvent(form->Image1, &ev);
}

void FormDriver::calibrate(const QString& dx, const QString& dy, QPoint origin, QPoint xAxis, QPoint yAxis)
{
    right(origin.x(), origin.y());
    right(xAxis.x(), xAxis.y());
    dialogs.then(DialogScript::answerInput(dx, dy));
    right(yAxis.x(), yAxis.y());
}

void FormDriver::chooseColour(const QColor& colour)
{
    dialogs.then(DialogScript::chooseColour(colour));
    QTest::mousePress(form->LinienFarbeLabel, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(form->LinienFarbeLabel, Qt::LeftButton, {}, QPoint(5, 5));
}

void FormDriver::start(std::unique_ptr<FormDriver>& driver)
{
    QApplication::setQuitOnLastWindowClosed(false);
    driver = std::make_unique<FormDriver>();
    QVERIFY(QTest::qWaitForWindowExposed(driver->form));
    QVERIFY(driver->folder.isValid());
}

void FormDriver::finish(std::unique_ptr<FormDriver>& driver)
{
    const QStringList unexpected = driver ? driver->dialogs.unexpected() : QStringList();
    driver.reset();
    QCOMPARE(unexpected, QStringList());
}

} // namespace kuvaro::test
