#include "ui/framework/wnd.h"

#include "ui/win32/win32_api.h"

namespace ui {

int GetSystemMetrics(int index) {
  return ::GetSystemMetrics(index);
}

namespace {

// A static without SS_NOPREFIX, like the status text, would take '&' for a
// mnemonic; texts from the executables are shown as they are.
std::string Literal(HWND window, const std::string& text) {
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (lstrcmpiA(className, "Static") != 0 || (GetWindowLongA(window, GWL_STYLE) & SS_NOPREFIX)) {
    return text;
  }
  std::string doubled;
  for (char c : text) {
    doubled += c;
    if (c == '&') doubled += '&';
  }
  return doubled;
}

}  // namespace

void CWnd::SetWindowText(const std::string& text) {
  const HWND window = win32::ToHwnd(m_hWnd);
  SetWindowTextA(window, Literal(window, text).c_str());
}

std::string CWnd::GetWindowText() const {
  const HWND window = win32::ToHwnd(m_hWnd);
  std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(
      static_cast<size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

void CWnd::SetFocus() {
  ::SetFocus(win32::ToHwnd(m_hWnd));
}

void CWnd::GetClientRect(CRect* rect) const {
  RECT client{};
  ::GetClientRect(win32::ToHwnd(m_hWnd), &client);
  *rect = {client.left, client.top, client.right, client.bottom};
}

intptr_t CWnd::SendMessage(unsigned message, uintptr_t wParam, intptr_t lParam) {
  return SendMessageA(win32::ToHwnd(m_hWnd), message, wParam, lParam);
}

}  // namespace ui
