// Asks a window to close the way a window manager does: a WM_DELETE_WINDOW
// client message. Usage: e2e_close WINDOW_ID
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s WINDOW_ID\n", argv[0]);
    return 2;
  }
  const Window win = Window(std::strtoul(argv[1], nullptr, 0));
  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fprintf(stderr, "%s: cannot open the display\n", argv[0]);
    return 1;
  }
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = win;
  ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
  ev.xclient.data.l[1] = CurrentTime;
  const Status ok = XSendEvent(d, win, False, NoEventMask, &ev);
  XSync(d, False);
  XCloseDisplay(d);
  return ok ? 0 : 1;
}
