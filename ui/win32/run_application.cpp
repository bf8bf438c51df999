#include "ui/win32/run_application.h"

#include "platform/user_interface.h"
#include "ui/win32/dpi_awareness.h"
#include "ui/win32/win32_api.h"
#include "ui/win32/win32_user_interface.h"

namespace ui::win32 {

int RunApplication() {
  EnableDpiAwareness();
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  // Missing when the object file that defines it was not linked.
  CWinApp* app = AfxGetApp();
  if (!app) return 1;
  CWin32UserInterface userInterface;
  platform::SetUserInterface(&userInterface);
  const bool runLoop = app->InitInstance();
  if (runLoop) {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  platform::SetUserInterface(nullptr);
  return 0;
}

}  // namespace ui::win32
