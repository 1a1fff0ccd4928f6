#pragma once
// The system's reason for a failed call, in the program's language. The C
// library speaks the language of the user's locale, which is English on most
// installations; the reasons a user meets while starting the program and
// saving a file are given in German here, and only a rare one falls back to
// the library's own text.

#include <QString>

namespace kuvaro {

// The reason for errno value `errnoValue`, without a final full stop.
QString germanReason(int errnoValue);

} // namespace kuvaro
