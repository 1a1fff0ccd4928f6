#pragma once
// Answering modal dialogs in GUI tests: a timer waits for the next modal widget
// (optionally of a given type) and hands it to a callback, which answers it.

#include <QApplication>
#include <QWidget>
#include <functional>

namespace kuvaro::test {

// Calls answer(widget) once a modal widget other than `except` is active.
// Keeps polling until it appears or timeoutMs has passed.
void whenModal(std::function<void(QWidget*)> answer, int timeoutMs = 5000, QWidget* except = nullptr);

template<typename T>
void whenModalOf(std::function<void(T*)> answer, int timeoutMs = 5000)
{
    whenModal(
        [answer](QWidget* w) {
            if (auto* t = qobject_cast<T*>(w))
                answer(t);
        },
        timeoutMs);
}

// The number of answers whenModal has delivered since the program started; lets
// a test check that the dialog it expected was really shown.
int modalAnswersGiven();

} // namespace kuvaro::test
