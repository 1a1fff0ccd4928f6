#include "dialogs/MessageLayout.h"

#include <algorithm>

namespace kuvaro {

QString messageShownText(const QString& text) { return text.left(1000); }

QStringList messageMeasuredLines(const QString& shownText)
{
    QStringList lines = shownText.split(u'\n');
    for (QString& line : lines)
        line.truncate(300);
    return lines;
}

MessageLayout computeMessageLayout(const QList<int>& lineWidths, int mode)
{
    MessageLayout l;
    int widest = 0;
    l.lineUnits = 1;
    for (int w : lineWidths) {
        widest = std::max(widest, w);
        l.lineUnits += w > 900 ? 2 : 1;
    }
    l.contentWidth = widest > 900 ? 900 : widest + 16;
    if (l.contentWidth < 100)
        l.contentWidth = 100;

    l.labelWidth = l.contentWidth + 8;
    l.labelHeight = l.lineUnits * MessageLineHeight;
    l.clientWidth = 2 * MessageLabelLeft + l.labelWidth;
    l.clientHeight = MessageLabelTop + l.labelHeight + 48;
    l.buttonTop = l.clientHeight - 40;

    const int half = l.clientWidth / 2;
    if (mode == ModeJaNein) {
        l.jaVisible = true;
        l.neinCaption = QStringLiteral("Nein");
        l.neinLeft = half + 4;
        l.jaLeft = half - MessageButtonWidth - 4;
    } else {
        l.jaVisible = false;
        l.neinCaption = QStringLiteral("OK");
        l.neinLeft = half - MessageButtonWidth / 2;
    }
    return l;
}

} // namespace kuvaro
