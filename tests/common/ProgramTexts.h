#pragma once
// The main window's prompts and messages and the colours of its marks, as the
// tests expect them; the dialogs as a DialogScript records them.

#include <QColor>
#include <QString>

namespace kuvaro::test {

// The prompt line.
inline const QString PromptOpen = QStringLiteral("  Öffne ein X,Y-Diagramm: Datei, Ablegen oder Strg+V");
inline const QString PromptOrigin = QStringLiteral("  Erfasse mit rechtem Mausklick den Nullpunkt");
inline const QString PromptXAxis =
    QStringLiteral("  Erfasse mit rechtem Mausklick einen entfernten Punkt auf der X-Achse");
inline const QString PromptYAxis =
    QStringLiteral("  Erfasse mit rechtem Mausklick einen entfernten Punkt auf der Y-Achse");
inline const QString PromptDifferences =
    QStringLiteral("  Gib zur Kalibrierung die X- und Y-Differenz zum Nullpunkt ein !");
inline const QString PromptDigitize =
    QStringLiteral("  Digitalisiere jetzt mit linkem Mausklick die Punkte im Diagramm");
inline const QString PromptReopenInput =
    QStringLiteral("  Öffne mit rechtem Mausklick die Eingabe der X- und Y-Differenz");
inline const QString PromptAfterTakeBack = QStringLiteral("  Digitalisiere jetzt mit der linken Mausklick die X,Y-Werte");

// The message dialog's texts.
inline const QString MsgNumber = QStringLiteral("Gib einen Zahlenwert ein !");
inline const QString MsgZero = QStringLiteral("Die Kalibrierungsdifferenz darf nicht 0 sein !");
inline const QString MsgNotCalibrated = QStringLiteral("Erfasse zunächst Nullpunkt, x1 und y1 mit rechtem Mausklick");
inline const QString MsgDifferencesFirst =
    QStringLiteral("Gib zunächst die X- und Y-Differenz ein: rechter Mausklick öffnet die Eingabe");
inline const QString MsgAbort = QStringLiteral("Kalibrierung abbrechen ?");

// Dialogs as recorded.
inline const QString SaveQuestion = QStringLiteral("question: Sollen die digitalisierten Punkte gespeichert werden ?");
inline const QString SaveDialog = QStringLiteral("file: Speichern als");
inline const QString OpenDialog = QStringLiteral("file: Grafik-Datei einlesen");

// The calibration crosses: origin, X axis, Y axis.
inline const QRgb Green = qRgb(0, 128, 0);
inline const QRgb Maroon = qRgb(128, 0, 0);
inline const QRgb Blue = qRgb(0, 0, 255);

} // namespace kuvaro::test
