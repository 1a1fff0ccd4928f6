#pragma once
// The application object, its last-resort catch for failures, and the
// toolkit-wide application title.

#include <QApplication>
#include <QString>

namespace kuvaro {

void setApplicationTitle(const QString& title);
const QString& applicationTitle();

} // namespace kuvaro

class TApplication : public QApplication
{
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

namespace kuvaro {
// Fonts, German toolkit texts and locale; run once after the application object exists.
void initPlatform();
} // namespace kuvaro
