#include "ui/win32/win32_user_interface.h"

#include "ui/win32/win32_api.h"

namespace ui::win32 {

void CWin32UserInterface::ShowMessage(const std::string& caption, const std::string& text,
                                      platform::MessageIcon icon) {
  const UINT iconFlag =
      icon == platform::MessageIcon::Information ? MB_ICONINFORMATION : MB_ICONEXCLAMATION;
  MessageBoxA(GetActiveWindow(), text.c_str(), caption.c_str(), MB_OK | iconFlag);
}

void CWin32UserInterface::SetWaitCursor(bool on) {
  if (on) {
    m_hRestoreCursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  } else {
    SetCursor(static_cast<HCURSOR>(m_hRestoreCursor));
    m_hRestoreCursor = nullptr;
  }
}

}  // namespace ui::win32
