#include "ui/win32/win32_user_interface.h"

#include "ui/win32/dialog_impl.h"
#include "ui/win32/win32_api.h"

namespace ui::win32 {

void CWin32UserInterface::ShowMessage(const std::string& caption, const std::string& text,
                                      platform::MessageIcon icon) {
  const UINT iconFlag =
      icon == platform::MessageIcon::Information ? MB_ICONINFORMATION : MB_ICONEXCLAMATION;
  // Owned by the window the user works in, so that it stays blocked: the
  // active one, or, while another program has the focus (the E-Book just
  // started), the main window's topmost modal window.
  HWND owner = GetActiveWindow();
  if (!owner) {
    if (HWND main = win32::OwnerFor(nullptr, nullptr)) owner = GetLastActivePopup(main);
  }
  MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK | iconFlag);
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
