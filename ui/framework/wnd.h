// The framework's window classes: one interface, two backends (ui/qt and
// ui/win32, chosen by the build). Text crosses this interface as the
// executables' 8-bit text; each backend shows it literally: no markup, and
// '&' is a mnemonic only in button captions.
#pragma once

#include <cstdint>
#include <string>

namespace ui {

// A backend's native handle: QWidget* with Qt, HWND with Win32.
using WindowHandle = void*;
// A loaded icon: const QIcon* with Qt, HICON with Win32.
using IconHandle = void*;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr unsigned WM_ICONERASEBKGND = 0x27;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;

struct CRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// A system metric; SM_CXICON and SM_CYICON at least.
int GetSystemMetrics(int index);

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The window, or nullptr while it does not exist.
  WindowHandle GetSafeHwnd() const { return m_hWnd; }
  // Binds this object to an existing window; no ownership is taken.
  void Attach(WindowHandle window) { m_hWnd = window; }

  // A top-level window's title, a control's text. A multi-line edit's lines
  // are separated by CR LF in both directions.
  void SetWindowText(const std::string& text);
  std::string GetWindowText() const;
  void SetFocus();
  void GetClientRect(CRect* rect) const;
  // Delivers a window message at once. The Qt backend knows the messages
  // the program sends: WM_ICONERASEBKGND.
  intptr_t SendMessage(unsigned message, uintptr_t wParam = 0, intptr_t lParam = 0);

 protected:
  WindowHandle m_hWnd = nullptr;
};

class CStatic : public CWnd {};
class CButton : public CWnd {};
class CEdit : public CWnd {};

}  // namespace ui
