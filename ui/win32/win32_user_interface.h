// Message boxes and the wait cursor of the Windows program.
#pragma once

#include <string>

#include "platform/user_interface.h"

namespace ui::win32 {

class CWin32UserInterface final : public platform::IUserInterface {
 public:
  // Owned by the thread's active window, so that window is disabled meanwhile.
  void ShowMessage(const std::string& caption, const std::string& text,
                   platform::MessageIcon icon) override;
  // The hourglass stays until switched off: the thread sleeps meanwhile, so
  // no WM_SETCURSOR replaces it.
  void SetWaitCursor(bool on) override;

 private:
  void* m_hRestoreCursor = nullptr;  // HCURSOR
};

}  // namespace ui::win32
