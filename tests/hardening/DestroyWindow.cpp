// destroy_window - destroys an X window by its id, as another client (a script, a tool) might do to the
// game's window.   destroy_window <window id>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: destroy_window <window id>\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "destroy_window: no X display\n");
        return 1;
    }
    XDestroyWindow(display, static_cast<Window>(std::strtoul(argv[1], nullptr, 0)));
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
