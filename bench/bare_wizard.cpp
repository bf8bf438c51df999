// The yardstick of the Windows program's size and start: a bare 2-page wizard
// with one edit control, the icon and the manifest, in plain C++ with
// std::string and std::vector, linked like rebrander.exe. Not a product.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h first: commctrl.h builds on it.
#include <commctrl.h>

#include <string>
#include <vector>

namespace {

constexpr int kEditId = 100;

// An in-memory DLGTEMPLATE with one control, as 16-bit cells.
std::vector<WORD> PageTemplate(const std::wstring& text, WORD controlClass, DWORD controlStyle) {
  std::vector<WORD> cells;
  auto dword = [&](DWORD value) {
    cells.push_back(LOWORD(value));
    cells.push_back(HIWORD(value));
  };
  auto string = [&](const std::wstring& s) {
    cells.insert(cells.end(), s.begin(), s.end());
    cells.push_back(0);
  };
  dword(WS_CHILD | DS_SETFONT);
  dword(0);
  cells.insert(cells.end(), {1, 0, 0, 220, 100, 0, 0, 0, 8});  // one control; 8 point
  string(L"MS Shell Dlg");
  if (cells.size() % 2) cells.push_back(0);
  dword(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | controlStyle);
  dword(0);
  cells.insert(cells.end(), {7, 7, 200, 14, kEditId, 0xFFFF, controlClass});
  string(text);
  cells.push_back(0);
  return cells;
}

std::string g_typed;  // what the edit control held when the wizard ended

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY) return FALSE;
  const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
  HWND sheet = GetParent(page);
  if (code == PSN_SETACTIVE) {
    const bool first = PropSheet_HwndToIndex(sheet, page) == 0;
    PropSheet_SetWizButtons(sheet, first ? PSWIZB_NEXT : PSWIZB_BACK | PSWIZB_FINISH);
  } else if (code == PSN_WIZNEXT) {
    std::vector<char> text(256);
    GetDlgItemTextA(page, kEditId, text.data(), static_cast<int>(text.size()));
    g_typed = text.data();
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  const std::vector<std::vector<WORD>> templates{
      PageTemplate(L"Type a text", 0x81, ES_AUTOHSCROLL),  // edit
      PageTemplate(L"Finish stores it.", 0x82, SS_LEFT)};  // static
  std::vector<PROPSHEETPAGEW> pages(templates.size());
  for (size_t i = 0; i < pages.size(); ++i) {
    pages[i].dwSize = sizeof(PROPSHEETPAGEW);
    pages[i].dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;  // a wizard takes its caption from the page
    pages[i].pszTitle = L"Bare";
    pages[i].hInstance = instance;
    pages[i].pResource = reinterpret_cast<const DLGTEMPLATE*>(templates[i].data());
    pages[i].pfnDlgProc = PageProc;
  }
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof(header);
  header.dwFlags = PSH_WIZARD | PSH_PROPSHEETPAGE | PSH_USEICONID;
  header.hInstance = instance;
  header.pszIcon = MAKEINTRESOURCEW(128);
  header.pszCaption = L"Bare";
  header.nPages = static_cast<UINT>(pages.size());
  header.ppsp = pages.data();
  return PropertySheetW(&header) > 0 && !g_typed.empty() ? 0 : 1;
}
