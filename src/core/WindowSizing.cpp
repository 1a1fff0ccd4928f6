#include "core/WindowSizing.h"

namespace kuvaro {

QSize sizingScreen(const QList<QSize>& monitors, QSize primary)
{
    if (monitors.size() < 2)
        return primary;
    return monitors.first();
}

MainWindowGeometry mainWindowGeometry(QSize screen)
{
    const double factor = 0.9;
    MainWindowGeometry g;
    g.outer = QSize(int(screen.width() * factor), int(screen.height() * factor));
    g.panel1 = QSize(g.outer.width() - Panel1Left - 24, g.outer.height() - Panel1Top - 56);
    g.panel4Width = Panel1Left + g.panel1.width() - Panel4Left;
    g.listViewHeight = Panel1Top + g.panel1.height() - ListView1Top;
    return g;
}

} // namespace kuvaro
