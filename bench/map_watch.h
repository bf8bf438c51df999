// The start-up benchmark's eye on the X server: it watches the root window
// for its children being mapped, as a window manager would, so that a
// program's start is timed to the moment the server maps its window, from
// outside the program.
#pragma once

#include <string>

namespace bench {

class MapWatch {
 public:
  // On the display of $DISPLAY; false from Open when there is none.
  MapWatch() = default;
  ~MapWatch();
  MapWatch(const MapWatch&) = delete;
  MapWatch& operator=(const MapWatch&) = delete;

  bool Open();
  // Drops every event so far: the maps of a run that ended.
  void Forget();
  // Waits until a top-level window titled `title` is mapped, up to
  // `timeoutMs`. The milliseconds since `startMs` (steady clock), or a
  // negative number on timeout.
  double WaitMapped(const std::string& title, double startMs, double timeoutMs);

 private:
  std::string TitleOf(unsigned long window);

  void* m_display = nullptr;  // Display*
};

// The steady clock in milliseconds.
double NowMs();

}  // namespace bench
