#pragma once
// What the prompt line asks for and what a press of either button does, as a
// function of the digitizing state alone. Every handler that changes the state
// takes its prompt and its press actions from here, so the prompt always names
// a step that works now.

#include <QString>

namespace kuvaro {

struct DigitizingSituation
{
    bool picture = false;      // a picture is shown
    int calibStep = 0;         // right presses taken so far
    bool factorsValid = false; // both differences given and usable
};

enum class RightPress {
    Ignore,          // no picture
    TakeOrigin,
    TakeX1,
    TakeY1,
    AskDifferences,  // the three points stand, the differences are missing
    Recalibrate,     // calibrated: the factors are computed again from the labels
};

enum class LeftPress {
    Ignore,                 // no picture
    CalibrateFirst,         // points of the calibration are missing
    DifferencesFirst,       // only the differences are missing
    Capture,
};

struct Guidance
{
    QString prompt;
    RightPress right = RightPress::Ignore;
    LeftPress left = LeftPress::Ignore;
};

Guidance guidance(const DigitizingSituation& s);

// The message for a left press that cannot capture yet; empty for the others.
QString leftPressRefusal(LeftPress action);

} // namespace kuvaro
