// Every text of the Windows program's windows fits its control at 96 and at
// 192 DPI: the main window and the wizard with both kinds of page and its own
// buttons, each opened through the Win32 backend in this process with the
// program's own DPI awareness, and measured with the font its control draws
// with. Wine reads the DPI from the registry when a process
// starts, so each DPI is measured by a run of this program of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "res/dialog_template.h"
#include "ui/framework/dialog.h"
#include "ui/framework/property_sheet.h"
#include "ui/win32/dpi_awareness.h"

// Last: <windows.h> makes macros of names the headers above declare.
#include <windows.h>

namespace {

constexpr char kDpiVariable[] = "REBRANDER_TEST_DPI";

int g_dpi = 0;
int g_texts = 0;                      // measured in the window last opened
std::vector<std::wstring> g_misfits;  // what did not fit there

// A visible push button or text static (no icon, no frame), measured with the
// font it draws with: a static must hold its wrapped lines, a button its one
// line inside its frame.
BOOL CALLBACK Measure(HWND control, LPARAM) {
  wchar_t name[16] = {};
  GetClassNameW(control, name, 16);
  const LONG style = GetWindowLongW(control, GWL_STYLE), type = style & SS_TYPEMASK;
  const bool button = lstrcmpiW(name, L"Button") == 0 && (style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON;
  const bool text = lstrcmpiW(name, L"Static") == 0 && type <= SS_RIGHT;
  if (!IsWindowVisible(control) || !(button || text)) return TRUE;
  wchar_t held[1024] = {};
  GetWindowTextW(control, held, 1024);
  std::wstring label;  // as drawn: '&' marks the next character, "&&" is one '&'
  for (const wchar_t* c = held; *c; ++c) {
    if (*c == L'&' && (button || !(style & SS_NOPREFIX)) && !*++c) break;
    label += *c;
  }
  if (label.empty()) return TRUE;
  HDC dc = GetDC(control);
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT client{}, needed{};
  GetClientRect(control, &client);
  SIZE extent{};
  GetTextExtentPoint32W(dc, label.data(), static_cast<int>(label.size()), &extent);
  // A push button's frame and focus rectangle take 3 pixels a side at 96 DPI.
  needed = {0, 0, extent.cx + (button ? 2 * MulDiv(3, g_dpi, 96) : 0), extent.cy};
  if (text) {
    needed = client;
    DrawTextW(dc, label.data(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  }
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  ++g_texts;
  if (needed.right > client.right || needed.bottom > client.bottom) {
    g_misfits.push_back(label + L" needs " + std::to_wstring(needed.right) + L"x" +
                        std::to_wstring(needed.bottom) + L", has " + std::to_wstring(client.right) +
                        L"x" + std::to_wstring(client.bottom));
  }
  return TRUE;
}

// Measures the thread's visible top-level window once it is up, then cancels it.
void CALLBACK MeasureAndCancel(HWND, UINT, UINT_PTR timer, DWORD) {
  auto first = [](HWND window, LPARAM timerId) -> BOOL {
    if (!IsWindowVisible(window)) return TRUE;
    KillTimer(nullptr, static_cast<UINT_PTR>(timerId));
    EnumChildWindows(window, Measure, 0);
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    return FALSE;
  };
  EnumThreadWindows(GetCurrentThreadId(), first, static_cast<LPARAM>(timer));
}

// Opens a window (`open` returns once it is cancelled) and checks that it
// showed at least `least` texts, each fitting its control.
template <typename Open>
void ExpectFit(int least, Open open) {
  g_texts = 0;
  g_misfits.clear();
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, MeasureAndCancel);
  open();
  KillTimer(nullptr, timer);
  EXPECT_GE(g_texts, least);
  EXPECT_EQ(g_misfits, std::vector<std::wstring>()) << "at " << g_dpi << " DPI";
}

// Run by the test below, once a DPI.
TEST(DpiFit, TextsFitTheirControlsAtThisRunsDpi) {
  const char* wanted = std::getenv(kDpiVariable);
  if (!wanted) GTEST_SKIP() << "started by EveryTextFitsAt96And192Dpi";
  ui::win32::EnableDpiAwareness();
  const HDC screen = GetDC(nullptr);
  g_dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(g_dpi, std::atoi(wanted)) << "the registry's DPI did not take";

  ui::CPropertyPage single(res::IDD_SINGLELINE_PAGE), multi(res::IDD_MULTILINE_PAGE);
  ui::CPropertySheet wizard("Customize");
  for (ui::CPropertyPage* page : {&single, &multi}) {
    page->m_psp.dwFlags |= PSP_USETITLE;
    page->m_psp.pszTitle = "Step 1 of 2";
    wizard.AddPage(page);
  }
  wizard.m_psh.dwFlags |= PSH_WIZARD;
  ui::CDialog main(res::IDD_REBRAND_DIALOG);
  // The main window's status and three buttons; the page's prompt, Back, Next
  // and Cancel.
  ExpectFit(4, [&] { main.DoModal(); });
  ExpectFit(4, [&] { wizard.DoModal(); });
}

// Sets Wine's DPI in the registry and runs the test above at it, at 96 and
// at 192 DPI; the run's prefix had no DPI of its own, so none is left after.
TEST(DpiFit, EveryTextFitsAt96And192Dpi) {
  if (std::getenv(kDpiVariable)) GTEST_SKIP() << "the run of one DPI";
  HKEY desktop = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, &desktop, nullptr),
            ERROR_SUCCESS);
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  for (const DWORD dpi : {96u, 192u}) {
    RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                   sizeof dpi);
    SetEnvironmentVariableA(kDpiVariable, std::to_string(dpi).c_str());
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=*AtThisRunsDpi";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(CreateProcessW(self, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                               &startup, &child));
    DWORD code = 1;
    WaitForSingleObject(child.hProcess, 120000);
    GetExitCodeProcess(child.hProcess, &code);
    EXPECT_EQ(code, 0u) << "at " << dpi << " DPI: its run above says what did not fit";
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
  }
  SetEnvironmentVariableA(kDpiVariable, nullptr);
  RegDeleteValueW(desktop, L"LogPixels");
  RegCloseKey(desktop);
}

}  // namespace
