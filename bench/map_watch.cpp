#include "bench/map_watch.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <map>

namespace bench {
namespace {

Display* AsDisplay(void* display) {
  return static_cast<Display*>(display);
}

// A window may be gone by the time its title is asked for.
int IgnoreError(Display*, XErrorEvent*) {
  return 0;
}

}  // namespace

double NowMs() {
  using Ms = std::chrono::duration<double, std::milli>;
  return std::chrono::duration_cast<Ms>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

MapWatch::~MapWatch() {
  if (m_display) XCloseDisplay(AsDisplay(m_display));
}

bool MapWatch::Open() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  m_display = display;
  XSetErrorHandler(IgnoreError);
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);
  return true;
}

void MapWatch::Forget() {
  Display* display = AsDisplay(m_display);
  XSync(display, True);
}

std::string MapWatch::TitleOf(unsigned long window) {
  Display* display = AsDisplay(m_display);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  std::string title;
  // The EWMH title first; the ICCCM one for a program that sets only that.
  for (const Atom name : {XInternAtom(display, "_NET_WM_NAME", False), XA_WM_NAME}) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom wanted = name == XA_WM_NAME ? AnyPropertyType : utf8;
    if (XGetWindowProperty(display, window, name, 0, 1024, False, wanted, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
      if (format == 8) title.assign(reinterpret_cast<const char*>(data), count);
      XFree(data);
    }
    if (!title.empty()) break;
  }
  return title;
}

double MapWatch::WaitMapped(const std::string& title, double startMs, double timeoutMs) {
  Display* display = AsDisplay(m_display);
  // Windows mapped before their title was set, with the time they were mapped.
  std::map<Window, double> untitled;
  while (NowMs() - startMs < timeoutMs) {
    if (XPending(display) == 0) {
      pollfd wait{ConnectionNumber(display), POLLIN, 0};
      poll(&wait, 1, 10);
      continue;
    }
    XEvent event;
    XNextEvent(display, &event);
    const double now = NowMs();
    if (event.type == MapNotify && event.xmap.event == DefaultRootWindow(display)) {
      const Window window = event.xmap.window;
      // Told of title changes from here on, then read, so that none is missed.
      XSelectInput(display, window, PropertyChangeMask);
      if (TitleOf(window) == title) return now - startMs;
      untitled.emplace(window, now);
    } else if (event.type == PropertyNotify) {
      const auto found = untitled.find(event.xproperty.window);
      if (found != untitled.end() && TitleOf(found->first) == title) {
        return found->second - startMs;
      }
    }
  }
  return -1;
}

}  // namespace bench
