// Starts a program and prints the milliseconds from its exec to the first
// drawing into one of its top-level windows, as the X server sees it (a
// damage report on a window that carries a window class, so the window
// manager's frames do not count). Then the program is ended.
//
// Usage: startup_watch <program> [arguments]   (DISPLAY names the server)

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

// The few declarations of the X damage extension used here; Debian ships its
// library without the development header on this machine.
extern "C" {
typedef XID Damage;
Bool XDamageQueryExtension(Display*, int* eventBase, int* errorBase);
Damage XDamageCreate(Display*, Drawable, int level);
}
namespace {
constexpr int XDamageReportNonEmpty = 3;
constexpr int XDamageNotify = 0;
struct DamageNotifyEvent
{
    int type;
    unsigned long serial;
    Bool send_event;
    Display* display;
    Drawable drawable;
};

int ignoreErrors(Display*, XErrorEvent*) { return 0; } // windows may be gone before they are asked about

bool hasClass(Display* d, Window w)
{
    XClassHint hint{};
    if (!XGetClassHint(d, w, &hint))
        return false;
    XFree(hint.res_name);
    XFree(hint.res_class);
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_watch <program> [arguments]\n");
        return 2;
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "startup_watch: no X display\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    int damageEvent = 0, damageError = 0;
    if (!XDamageQueryExtension(d, &damageEvent, &damageError)) {
        std::fprintf(stderr, "startup_watch: the X server has no damage extension\n");
        return 2;
    }
    const Window root = DefaultRootWindow(d);
    XSelectInput(d, root, SubstructureNotifyMask);
    XSync(d, False);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        std::fprintf(stderr, "startup_watch: cannot start %s: %s\n", argv[1], std::strerror(errno));
        _exit(127);
    }
    double ms = -1;
    std::set<Window> watched;
    while (ms < 0) {
        XEvent e;
        XNextEvent(d, &e);
        if (e.type == CreateNotify && e.xcreatewindow.parent == root && e.xcreatewindow.width >= 200 &&
            e.xcreatewindow.height >= 200) {
            XDamageCreate(d, e.xcreatewindow.window, XDamageReportNonEmpty);
            watched.insert(e.xcreatewindow.window);
        } else if (e.type == damageEvent + XDamageNotify) {
            const Window w = reinterpret_cast<DamageNotifyEvent*>(&e)->drawable;
            if (watched.count(w) && hasClass(d, w))
                ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        }
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "startup_watch: %s ended before it drew a window\n", argv[1]);
            return 1;
        }
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    std::printf("%.1f\n", ms);
    return 0;
}
