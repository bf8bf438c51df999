// The Windows program's DPI awareness, set before its first window.
#pragma once

namespace ui::win32 {

// Per-monitor v2 where the system has it: the dialog manager, the property
// sheet and message boxes then lay themselves out at each monitor's DPI and
// again when a window moves to a monitor of another DPI (WM_DPICHANGED).
// Elsewhere system-aware: the system's DPI, never stretched as a bitmap. A
// process whose manifest already declares its awareness keeps that one.
void EnableDpiAwareness();

}  // namespace ui::win32
