// The info button: the information dialog with the operating instructions.

#include "app/Application.h"
#include "app/Main.h"
#include "dialogs/Lizenz.h"

#include <QLabel>

using namespace kuvaro;

void TMainForm::InfoSBtnClick()
{
    LizForm->setWindowTitle(QStringLiteral("  Bedienung und Lizenzvereinbarung"));
    LizForm->VersionNameLabel->setText(applicationTitle());
    LizForm->exec();
}
