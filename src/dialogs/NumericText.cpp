#include "dialogs/NumericText.h"

namespace kuvaro {

bool IsNumericText(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool allowed = (c == u'-' && i == 0) || c == u',' || c == u'.' || (c >= u'0' && c <= u'9');
        if (!allowed)
            return false;
    }
    return true;
}

QString acceptedDiffText(const QString& entry)
{
    QString t = entry.left(10);
    t.replace(u'.', u',');
    return t;
}

} // namespace kuvaro
