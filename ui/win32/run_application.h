// The Windows program's start, behind WinMain: the common controls, the
// user interface of platform/, then the application object's InitInstance.
#pragma once

namespace ui::win32 {

// The process's exit code; 1 when there is no application object.
int RunApplication();

}  // namespace ui::win32
