#include "ui/win32/dpi_awareness.h"

#include "ui/win32/win32_api.h"

namespace ui::win32 {

void EnableDpiAwareness() {
  // Looked up, not linked: older systems lack these (Wine 8 the first), and an
  // import would keep the program from starting there.
  const HMODULE user32 = GetModuleHandleA("user32.dll");
  using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
  using SetAware = BOOL(WINAPI*)();
  // Through void*: FARPROC has no parameters to match.
  const auto setContext = reinterpret_cast<SetContext>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
  const auto setAware = reinterpret_cast<SetAware>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware")));
  if (setContext) {
    if (setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) return;
    // The manifest chose already.
    if (GetLastError() == ERROR_ACCESS_DENIED) return;
  }
  // Not per-monitor v1: its dialogs do not follow a change of DPI by themselves.
  if (setAware) setAware();
}

}  // namespace ui::win32
