#pragma once
#include <QString>
#include <exception>

namespace kuvaro {

// The text the error box shows: a full stop is added when the last character
// sorts above '.', i.e. after letters and digits but not after "!", ")" or ".".
QString withFullStop(const QString& text);

// The message of any failure, as the error box shows it (empty for unknown ones).
QString failureMessage(const std::exception& e);

// A modal stop box captioned with the application title, one OK button.
void showErrorBox(const QString& text);

} // namespace kuvaro
