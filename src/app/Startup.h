#pragma once
// Start-up: the single-instance guard, the four windows in their order and the event loop.

#include <memory>

class TInputMessageForm;
class TLizForm;
class TMainForm;
class TZeigeNachrichtForm;

namespace kuvaro {

struct Forms
{
    std::unique_ptr<TMainForm> mainForm;
    std::unique_ptr<TInputMessageForm> inputMessageForm;
    std::unique_ptr<TLizForm> lizForm;
    std::unique_ptr<TZeigeNachrichtForm> zeigeNachrichtForm;

    Forms();
    Forms(Forms&&) noexcept;
    Forms& operator=(Forms&&) noexcept;
    ~Forms();
};

// Creates the windows in their order: the main window first (it sets the
// application title that the dialogs copy), then the calibration input dialog,
// the information dialog and the message dialog.
Forms createForms();

// The guard's name and the refusal shown to a second start.
inline constexpr const char* InstanceName = "C-Programm";

// The whole program; always returns 0.
int runKuvaro(int argc, char** argv);

} // namespace kuvaro
