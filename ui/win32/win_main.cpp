// The entry point of the Windows program; linked as an object, since nothing
// else names it.
#include "ui/win32/run_application.h"
#include "ui/win32/win32_api.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return ui::win32::RunApplication();
}
