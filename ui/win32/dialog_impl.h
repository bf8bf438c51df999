// The Win32 side of CDialog, shared by modal dialogs and property pages: the
// dialog procedure and the calls into a dialog's protected handlers.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/win32/win32_api.h"

namespace ui {

struct CDialog::Impl {
  // Kept while DoModal runs.
  std::vector<uint16_t> dialogTemplate;
  // Controls bound by DDX_Control; they lose their window with the dialog's.
  std::vector<CWnd*> boundControls;

  // DoModal's dialog procedure; WM_INITDIALOG carries the CDialog.
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Attaches the window, then runs OnInitDialog: WM_INITDIALOG's result.
  static INT_PTR InitDialog(CDialog& dialog, HWND window);
  // WM_PAINT, WM_QUERYDRAGICON and the window's end, alike for every kind of
  // dialog. False when the message is not one of them.
  static bool HandleCommon(CDialog& dialog, UINT message, INT_PTR* result);
};

namespace win32 {
// A parent given to the constructor, else the application's main window
// unless that is the window itself.
HWND OwnerFor(const CWnd* parent, const CWnd* self);
}  // namespace win32

}  // namespace ui
