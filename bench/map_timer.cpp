// map_timer TITLE COMMAND [ARGS...]
// Starts COMMAND and prints how many milliseconds passed until a top-level
// window named TITLE was mapped on the X display, then ends the command.
// Measured from outside the program, as a user sees the window appear.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
double NowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

std::string WindowName(Display* d, Window w)
{
    const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string name;
    if (XGetWindowProperty(d, w, netName, 0, 1024, False, utf8, &type, &format, &items, &after,
                           &data) == Success &&
        data) {
        name.assign(reinterpret_cast<char*>(data), items);
        XFree(data);
    }
    if (name.empty()) {
        char* plain = nullptr;
        if (XFetchName(d, w, &plain) && plain) {
            name = plain;
            XFree(plain);
        }
    }
    return name;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: map_timer TITLE COMMAND [ARGS...]\n");
        return 2;
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "map_timer: no X display\n");
        return 2;
    }
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);

    const double start = NowMs();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    double mapped = -1;
    while (mapped < 0 && NowMs() - start < 30000) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == MapNotify && WindowName(d, e.xmap.window) == argv[1]) {
                mapped = NowMs();
                break;
            }
        }
        if (mapped >= 0)
            break;
        pollfd fd{ConnectionNumber(d), POLLIN, 0};
        poll(&fd, 1, 100);
    }
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    XCloseDisplay(d);
    if (mapped < 0) {
        std::fprintf(stderr, "map_timer: no window named '%s' within 30 s\n", argv[1]);
        return 1;
    }
    std::printf("%.1f\n", mapped - start);
    return 0;
}
