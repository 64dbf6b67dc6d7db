/* Asks the window manager's way for a window to close: sends WM_DELETE_WINDOW to the first
 * top-level window whose name is the given one (default "Hexwend").
 * Exit status 0 when sent, 1 when no such window exists, 2 without a display. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <stdio.h>
#include <string.h>

static Window findWindow(Display* display, Window window, const char* name) {
    char* windowName = NULL;
    if (XFetchName(display, window, &windowName) && windowName) {
        int match = strcmp(windowName, name) == 0;
        XFree(windowName);
        if (match) return window;
    }
    Window root, parent, *children = NULL;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        found = findWindow(display, children[i], name);
    }
    if (children) XFree(children);
    return found;
}

int main(int argc, char** argv) {
    const char* name = argc > 1 ? argv[1] : "Hexwend";
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "send_close: no display\n");
        return 2;
    }
    Window window = findWindow(display, DefaultRootWindow(display), name);
    if (!window) {
        fprintf(stderr, "send_close: no window named %s\n", name);
        XCloseDisplay(display);
        return 1;
    }
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    return 0;
}
