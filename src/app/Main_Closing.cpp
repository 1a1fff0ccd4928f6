// Closing the main window, by "Beenden" or through the frame: unsaved points
// are offered to the save dialog first.

#include "app/ErrorBox.h"
#include "app/Main.h"
#include "dialogs/Zeigenachricht.h"

#include <QCloseEvent>

using namespace kuvaro;

void TMainForm::CloseSBtnClick() { close(); }

void TMainForm::closeEvent(QCloseEvent* event)
{
    // Stays refused when the save below fails: the error box is shown and the window stays open.
    event->ignore();
    guarded([&] {
        if (PointRowCount() > 0 && PointsUnsaved == 1) {
            const int answer = ZeigeNachrichtForm->ShowMessageMode(
                QStringLiteral("Sollen die digitalisierten Punkte gespeichert werden ?"), ModeJaNein);
            if (answer == AnswerJa)
                ErgSpeichernSBtnClick();
        }
        event->accept();
    });
}
