#include "common/ModalHelper.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <memory>

namespace kuvaro::test {

namespace {
int g_answers = 0;
}

int modalAnswersGiven() { return g_answers; }

void whenModal(std::function<void(QWidget*)> answer, int timeoutMs, QWidget* except)
{
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QPointer<QWidget> skip(except);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, answer, skip, timeoutMs] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != skip.data() && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            ++g_answers;
            answer(modal);
            return;
        }
        if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

} // namespace kuvaro::test
