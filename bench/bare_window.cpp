// The yardstick of start-up: a bare Qt Widgets window of the main window's
// size with one label, nothing else.

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Kuvaro"));
    label.resize(1046, 752);
    label.show();
    return app.exec();
}
