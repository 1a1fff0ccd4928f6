#pragma once
// Failures that leave an event handler. The event loop's error box shows the
// message of a KuvaroError; a SilentAbort ends the handler without a box.

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
