#pragma once
#include <QString>

namespace kuvaro {

// True when every character is a digit, ',' or '.', or a '-' in the first place.
// The empty text passes. Nothing about number syntax beyond that.
bool IsNumericText(const QString& text);

// What the calibration dialog keeps of an accepted entry: its first 10
// characters with every '.' turned into ','.
QString acceptedDiffText(const QString& entry);

} // namespace kuvaro
