#pragma once
// The operating instructions and terms of use that the information dialog
// shows: one picture of 640 x 1709 pixels, drawn by the program.

#include <QImage>
#include <QList>
#include <QRect>

namespace kuvaro {

inline constexpr int InstructionsWidth = 640;
inline constexpr int InstructionsHeight = 1709;

struct InstructionsPicture
{
    QImage image;
    // The bands of the picture from top to bottom: header and purpose,
    // installation, limits, operation, example diagram, results, terms of use.
    QList<QRect> parts;
};

// Draws the picture anew; with `ratio` device pixels per pixel for a
// high-density screen (the parts stay in the picture's own pixels).
InstructionsPicture renderInstructionsPicture(qreal ratio = 1.0);

// The picture, drawn on first use and kept for the rest of the run.
const QImage& instructionsPicture(qreal ratio = 1.0);

} // namespace kuvaro
