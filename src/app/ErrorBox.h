#pragma once
// The one path by which a failure reaches the user. Every handler that Qt
// calls (slots, overridden event handlers) runs inside guarded(), so a
// failure ends the handler there and is shown by reportFailure(); no
// exception ever unwinds through Qt's event delivery, which Qt does not
// support. Start-up and the application object's last-resort catch use
// reportFailure() as well.

#include "core/Errors.h"

#include <QString>

#include <exception>
#include <utility>

namespace kuvaro {

// The message of any failure, as the error box shows it (empty for unknown ones).
QString failureMessage(const std::exception& e);

// A modal stop box captioned with the application title, one OK button.
void showErrorBox(const QString& text);

// Shows the failure in the error box; a SilentAbort shows nothing.
void reportFailure(std::exception_ptr failure) noexcept;

// Runs a handler; whatever escapes it is reported here.
template<class Handler>
void guarded(Handler&& handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        reportFailure(std::current_exception());
    }
}

// A member function as a slot for connect(), run inside guarded().
template<class Object, class... Args>
auto guard(Object* object, void (Object::*handler)(Args...))
{
    return [object, handler](Args... args) { guarded([&] { (object->*handler)(args...); }); };
}

} // namespace kuvaro
