#pragma once
// Failures that end a handler. The handler's wrapper shows the message of a
// KuvaroError in the error box; a SilentAbort ends the handler without a box.
// Every layer throws these; only the windows show them.

#include <QString>
#include <stdexcept>

class KuvaroError : public std::runtime_error
{
public:
    explicit KuvaroError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
};

class SilentAbort : public std::exception
{
public:
    const char* what() const noexcept override { return "silent abort"; }
};

// The failure for memory that cannot be had, in the program's words.
inline const QString& outOfMemoryText()
{
    static const QString text = QStringLiteral("Zu wenig Arbeitsspeicher");
    return text;
}
inline KuvaroError outOfMemory() { return KuvaroError(outOfMemoryText()); }

// The failure for a picture that cannot be read whole.
inline KuvaroError invalidPicture() { return KuvaroError(QStringLiteral("Bitmap ist ungültig")); }

// The text the error box shows for a failure's message: a full stop is added
// when the last character sorts above '.', i.e. after letters and digits but
// not after "!", ")" or ".".
inline QString withFullStop(const QString& text)
{
    if (!text.isEmpty() && text.back().unicode() > u'.')
        return text + u'.';
    return text;
}
