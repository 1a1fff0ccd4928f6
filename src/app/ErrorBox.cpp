#include "app/ErrorBox.h"

#include "app/Application.h"
#include "app/Errors.h"

#include <QMessageBox>
#include <new>

namespace kuvaro {

QString withFullStop(const QString& text)
{
    if (!text.isEmpty() && text.back().unicode() > u'.')
        return text + u'.';
    return text;
}

QString failureMessage(const std::exception& e)
{
    if (const auto* k = dynamic_cast<const KuvaroError*>(&e))
        return k->message();
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return QStringLiteral("Zu wenig Arbeitsspeicher");
    return QString::fromLocal8Bit(e.what());
}

void showErrorBox(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle(), withFullStop(text), QMessageBox::Ok);
    box.exec();
}

} // namespace kuvaro
