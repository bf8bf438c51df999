// The Windows headers for the Win32 backend, and only for it: they define
// macros named like framework members and constants (SendMessage, IDOK,
// PSP_USETITLE ...), so the framework's headers come first and the names that
// would rename its members are undefined afterwards. The constants are used
// unqualified from here on; they are the Windows macros, checked below to
// carry the framework's values.
#pragma once

#include "ui/framework/dialog.h"
#include "ui/framework/property_sheet.h"
#include "ui/framework/win_app.h"
#include "ui/framework/wnd.h"

namespace ui::win32::framework_value {
// Taken before the macros hide the framework's names.
inline constexpr int kIdOk = ui::IDOK;
inline constexpr int kIdCancel = ui::IDCANCEL;
inline constexpr int kIdHelp = ui::IDHELP;
inline constexpr unsigned kWmIconEraseBkgnd = ui::WM_ICONERASEBKGND;
inline constexpr int kSmCxIcon = ui::SM_CXICON;
inline constexpr int kSmCyIcon = ui::SM_CYICON;
inline constexpr uint32_t kPspUseTitle = ui::PSP_USETITLE;
inline constexpr uint32_t kPspHasHelp = ui::PSP_HASHELP;
inline constexpr uint32_t kPshWizard = ui::PSH_WIZARD;
inline constexpr uint32_t kPshHasHelp = ui::PSH_HASHELP;
inline constexpr uint32_t kPswizbBack = ui::PSWIZB_BACK;
inline constexpr uint32_t kPswizbNext = ui::PSWIZB_NEXT;
inline constexpr uint32_t kPswizbFinish = ui::PSWIZB_FINISH;
inline constexpr uint32_t kPsmSetWizButtons = ui::PSM_SETWIZBUTTONS;
}  // namespace ui::win32::framework_value

#ifndef STRICT
#define STRICT
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// windows.h first: commctrl.h and prsht.h build on it.
#include <commctrl.h>
#include <prsht.h>

#undef SendMessage
#undef SetWindowText
#undef GetWindowText
#undef LoadIcon

// At global scope, so that each name is the Windows macro and nothing else.
namespace win32_value = ui::win32::framework_value;
static_assert(win32_value::kIdOk == IDOK && win32_value::kIdCancel == IDCANCEL &&
              win32_value::kIdHelp == IDHELP);
static_assert(win32_value::kWmIconEraseBkgnd == WM_ICONERASEBKGND);
static_assert(win32_value::kSmCxIcon == SM_CXICON && win32_value::kSmCyIcon == SM_CYICON);
static_assert(win32_value::kPspUseTitle == PSP_USETITLE && win32_value::kPspHasHelp == PSP_HASHELP);
static_assert(win32_value::kPshWizard == PSH_WIZARD && win32_value::kPshHasHelp == PSH_HASHELP);
static_assert(win32_value::kPswizbBack == PSWIZB_BACK && win32_value::kPswizbNext == PSWIZB_NEXT &&
              win32_value::kPswizbFinish == PSWIZB_FINISH);
static_assert(win32_value::kPsmSetWizButtons == PSM_SETWIZBUTTONS);
// ID_WIZBACK, ID_WIZNEXT and ID_WIZFINISH are the wizard buttons' ids; the
// Windows headers do not name them, so the framework's names stay usable.

namespace ui::win32 {

// The framework's opaque handles are the native ones.
inline HWND ToHwnd(WindowHandle window) {
  return static_cast<HWND>(window);
}
inline HICON ToHicon(IconHandle icon) {
  return static_cast<HICON>(icon);
}

}  // namespace ui::win32
