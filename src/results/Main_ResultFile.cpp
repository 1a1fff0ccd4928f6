// "Ergebnis speichern"

#include "app/Main.h"
#include "dialogs/Zeigenachricht.h"
#include "results/CsvFile.h"

#include <QFileDialog>
#include <QFileInfo>

using namespace kuvaro;

void TMainForm::ErgSpeichernSBtnClick()
{
    // The button counts a cancelled save as an answer to the question of saving.
    if (SavePoints() == SaveOutcome::Cancelled)
        PointsUnsaved = 0;
}

TMainForm::SaveOutcome TMainForm::SavePoints()
{
    const int n = PointRowCount();
    if (n == 0) {
        ZeigeNachrichtForm->ShowMessageText(QStringLiteral("Die Koordinaten-Liste ist leer !"));
        return SaveOutcome::Empty;
    }

    if (!SaveDialog1) {
        SaveDialog1 = new QFileDialog(this);
        SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
        SaveDialog1->setOption(QFileDialog::DontUseNativeDialog);
        SaveDialog1->setOption(QFileDialog::DontConfirmOverwrite);
        SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
        SaveDialog1->setFileMode(QFileDialog::AnyFile);
    }
    SaveDialog1->setWindowTitle(QStringLiteral("Speichern als"));
    SaveDialog1->setNameFilter(QStringLiteral("csv files (*.csv)"));
    SaveDialog1->setDefaultSuffix(QStringLiteral("csv"));
    // The dialog proposes the file of the previous confirmed save of this run.
    if (!m_lastSavePath.isEmpty())
        SaveDialog1->selectFile(m_lastSavePath);

    if (execFileDialog(SaveDialog1) != QDialog::Accepted)
        return SaveOutcome::Cancelled;
    const QStringList chosen = SaveDialog1->selectedFiles();
    const QString path = chosen.isEmpty() ? QString() : chosen.first();
    if (!path.isEmpty())
        m_lastSavePath = path;

    QList<CsvPoint> points;
    points.reserve(n);
    for (int i = 0; i < n; ++i)
        points.append({PointCell(i, ColNr), PointCell(i, ColX), PointCell(i, ColY)});
    ResultLines = buildResultLines(points);

    if (path.isEmpty() || QFileInfo(path).fileName().isEmpty()) {
        ZeigeNachrichtForm->ShowMessageText(QStringLiteral("Das Speichern des Ergebnisses wurde abgebrochen !"));
        return SaveOutcome::Cancelled;
    }
    // A failure here goes to the error box and leaves PointsUnsaved as it is.
    writeResultFile(path, encodeResultFile(ResultLines));
    PointsUnsaved = 0;
    ZeigeNachrichtForm->ShowMessageText(QStringLiteral("Die Grafik-Koordinaten wurden als CSV-Datei %1 gespeichert !")
                                            .arg(QFileInfo(path).fileName()));
    return SaveOutcome::Saved;
}
