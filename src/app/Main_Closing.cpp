// Closing the main window, by "Beenden" or through the frame: unsaved points
// are offered to the save dialog first; only a save or a 'Nein' lets it close.

#include "app/ErrorBox.h"
#include "app/Main.h"
#include "dialogs/Zeigenachricht.h"

#include <QCloseEvent>

using namespace kuvaro;

void TMainForm::CloseSBtnClick() { close(); }

bool TMainForm::OfferToSavePoints()
{
    if (PointRowCount() == 0 || PointsUnsaved != 1)
        return true;
    const int answer = ZeigeNachrichtForm->ShowMessageMode(
        QStringLiteral("Sollen die digitalisierten Punkte gespeichert werden ?"), ModeJaNein);
    if (answer == AnswerNein)
        return true;
    // "Ja" goes on only once the points are in a file; a question closed without an answer keeps everything.
    return answer == AnswerJa && SavePoints() == SaveOutcome::Saved;
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // Stays refused unless the points are saved or given up: a failed save shows
    // its error box and the window stays open.
    event->ignore();
    guarded([&] {
        if (OfferToSavePoints())
            event->accept();
    });
}
