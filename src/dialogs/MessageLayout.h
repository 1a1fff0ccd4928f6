#pragma once
// The message dialog sizes itself to its text on every showing. The layout is a
// pure function of the measured line widths, so it can be checked without a screen.

#include <QList>
#include <QString>
#include <QStringList>

namespace kuvaro {

enum MessageMode { ModeOk = 0, ModeJaNein = 10 };
enum MessageAnswerCode { AnswerNein = 0, AnswerJa = 1, AnswerNone = 99 };

struct MessageLayout
{
    int contentWidth = 0;
    int lineUnits = 0;
    int labelWidth = 0, labelHeight = 0;
    int clientWidth = 0, clientHeight = 0;
    int buttonTop = 0;
    int neinLeft = 0;
    int jaLeft = 0;
    bool jaVisible = false;
    QString neinCaption;
};

inline constexpr int MessageLabelLeft = 16;
inline constexpr int MessageLabelTop = 16;
inline constexpr int MessageButtonWidth = 75;
inline constexpr int MessageButtonHeight = 25;
inline constexpr int MessageLineHeight = 17;

// The shown text: at most its first 1000 characters.
QString messageShownText(const QString& text);
// The lines of the shown text, split at each line feed; the part after the last
// line feed counts as a line even when empty. Each line is cut to the 300
// characters that are measured.
QStringList messageMeasuredLines(const QString& shownText);

MessageLayout computeMessageLayout(const QList<int>& lineWidths, int mode);

} // namespace kuvaro
