#include "app/Startup.h"

#include "app/Application.h"
#include "app/Controls.h"
#include "app/ErrorBox.h"
#include "core/Title.h"
#include "core/Version.h"
#include "app/Main.h"
#include "app/SingleInstance.h"
#include "dialogs/Inputmessage.h"
#include "dialogs/Lizenz.h"
#include "dialogs/Zeigenachricht.h"

#include <QEvent>
#include <QIcon>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>

#include <functional>
#include <initializer_list>

namespace kuvaro {

Forms::Forms() = default;
Forms::Forms(Forms&&) noexcept = default;
Forms& Forms::operator=(Forms&&) noexcept = default;
Forms::~Forms()
{
    // Dialogs first: they may refer to the main window.
    zeigeNachrichtForm.reset();
    lizForm.reset();
    inputMessageForm.reset();
    mainForm.reset();
}

Forms createForms()
{
    Forms f;
    f.mainForm = std::make_unique<TMainForm>();
    TMainForm* main = f.mainForm.get();
    // The message dialog is created last but the input dialog needs it; it is
    // handed over through the main window, which holds it once all exist.
    f.inputMessageForm = std::make_unique<TInputMessageForm>(nullptr, [main] { main->ResetAllesSBtnClick(); });
    f.lizForm = std::make_unique<TLizForm>(main->BuildStamp);
    f.zeigeNachrichtForm = std::make_unique<TZeigeNachrichtForm>(main->MessageAnswer);
    f.inputMessageForm->setMessageDialog(f.zeigeNachrichtForm.get());
    main->attachDialogs(f.inputMessageForm.get(), f.lizForm.get(), f.zeigeNachrichtForm.get());
    return f;
}

namespace {

// The logo at the given sizes of the desktop's icon theme; windows without an
// icon of their own, the main window and every dialog, take it from the
// application. QIcon::addFile would find the format of each file itself,
// loading every image format plugin on the way.
QIcon programIcon(std::initializer_list<int> sizes)
{
    QIcon icon;
    for (int size : sizes)
        icon.addPixmap(pngResource(QStringLiteral(":/icons/hicolor/%1x%1/apps/de.kuvaro.Kuvaro.png").arg(size)));
    return icon;
}

// The sizes that title bars, task bars and menus draw.
QIcon smallProgramIcon() { return programIcon({16, 32, 48, 64}); }
// All sizes the icon theme has, for task switchers that draw the icon large.
QIcon fullProgramIcon() { return programIcon({16, 32, 48, 64, 128, 256}); }

// Runs `then` once, after the widget's first paint, from the event loop: by
// then the painted picture has gone to the window system.
class AfterFirstPaint : public QObject
{
public:
    AfterFirstPaint(QWidget* widget, std::function<void()> then) : QObject(widget), m_then(std::move(then))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                m_then();
                deleteLater();
            });
        }
        return false;
    }

private:
    std::function<void()> m_then;
};

void showAlreadyRunning()
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("  C-Programm-Meldung "),
                    QStringLiteral(" Das C-Programm läuft bereits "), QMessageBox::Ok);
    box.exec();
}

} // namespace

int runKuvaro(int argc, char** argv)
{
    TApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kuvaro"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(ApplicationVersion));
    // Names the menu entry, so task bars and Wayland match the windows to it.
    QGuiApplication::setDesktopFileName(QStringLiteral("de.kuvaro.Kuvaro"));
    // The window manager reads the icon before it maps the window, and it
    // takes its time over the large sizes (128 and 256 pixels, nine tenths of
    // the icon's data): the main window appears with the sizes that its frame
    // and task bars draw, and the large ones follow once it has been drawn.
    QApplication::setWindowIcon(smallProgramIcon());
    // The main window sets the title again; boxes shown before it exists carry it too.
    setApplicationTitle(applicationTitleText());
    try {
        initPlatform();
        SingleInstanceGuard guard(QString::fromLatin1(InstanceName));
        // A guard that cannot be set up keeps nobody out; why goes to the log only.
        if (!guard.failure().isEmpty())
            qWarning("Start ohne Schutz vor einem zweiten Programmstart: %s", qUtf8Printable(guard.failure()));
        if (guard.anotherInstanceRuns()) {
            // Boxes shown instead of the main window carry every size at once.
            QApplication::setWindowIcon(fullProgramIcon());
            showAlreadyRunning();
            return 0;
        }
        Forms forms = createForms();
        new AfterFirstPaint(forms.mainForm.get(), [] { QApplication::setWindowIcon(fullProgramIcon()); });
        forms.mainForm->show();
        app.exec();
    } catch (...) {
        QApplication::setWindowIcon(fullProgramIcon());
        reportFailure(std::current_exception());
    }
    return 0;
}

} // namespace kuvaro
