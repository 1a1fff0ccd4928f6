#include "app/ErrorBox.h"

#include "app/Application.h"
#include "core/Errors.h"

#include <QMessageBox>

#include <new>

namespace kuvaro {

QString failureMessage(const std::exception& e)
{
    if (const auto* k = dynamic_cast<const KuvaroError*>(&e))
        return k->message();
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return outOfMemoryText();
    return QString::fromLocal8Bit(e.what());
}

void showErrorBox(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle(), withFullStop(text), QMessageBox::Ok);
    box.exec();
}

void reportFailure(std::exception_ptr failure) noexcept
{
    try {
        try {
            std::rethrow_exception(failure);
        } catch (const SilentAbort&) {
        } catch (const std::exception& e) {
            showErrorBox(failureMessage(e));
        } catch (...) {
            showErrorBox(QString());
        }
    } catch (...) {
        // Showing the box failed as well (no memory left for it): the handler
        // is over all the same, and the program goes on.
    }
}

} // namespace kuvaro
