#include "ui/framework/dialog.h"

#include "res/dialog_template.h"
#include "ui/win32/dialog_impl.h"
#include "ui/win32/dialog_template_builder.h"

namespace ui {
namespace {

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Top-level dialogs open centred on their owner, or on the work area when
// they have none.
void CenterOnOwner(HWND window) {
  RECT area{};
  const HWND owner = GetWindow(window, GW_OWNER);
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
    area = WindowRect(owner);
  } else {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  }
  const RECT rect = WindowRect(window);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int x = area.left + (area.right - area.left - width) / 2;
  const int y = area.top + (area.bottom - area.top - height) / 2;
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

HWND win32::OwnerFor(const CWnd* parent, const CWnd* self) {
  if (parent) return ToHwnd(parent->GetSafeHwnd());
  const CWinApp* app = AfxGetApp();
  if (!app || !app->m_pMainWnd || app->m_pMainWnd == self) return nullptr;
  return ToHwnd(app->m_pMainWnd->GetSafeHwnd());
}

INT_PTR CDialog::Impl::InitDialog(CDialog& dialog, HWND window) {
  dialog.Attach(window);
  return dialog.OnInitDialog() ? TRUE : FALSE;
}

bool CDialog::Impl::HandleCommon(CDialog& dialog, UINT message, INT_PTR* result) {
  switch (message) {
    case WM_PAINT:
      dialog.OnPaint();
      *result = TRUE;
      return true;
    case WM_QUERYDRAGICON:
      // Returned as it is, not through DWLP_MSGRESULT; null asks for the default.
      *result = reinterpret_cast<INT_PTR>(dialog.OnQueryDragIcon());
      return true;
    case WM_NCDESTROY:
      for (CWnd* control : dialog.m_pImpl->boundControls) control->Attach(nullptr);
      dialog.m_pImpl->boundControls.clear();
      dialog.Attach(nullptr);
      *result = FALSE;
      return true;
    default:
      return false;
  }
}

INT_PTR CALLBACK CDialog::Impl::DialogProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    const RECT before = WindowRect(window);
    const INT_PTR result = InitDialog(*reinterpret_cast<CDialog*>(lParam), window);
    // Unless OnInitDialog placed the window itself.
    if (!(GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) &&
        SameRect(before, WindowRect(window))) {
      CenterOnOwner(window);
    }
    return result;
  }
  auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!dialog) return FALSE;
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    // Escape and the close box arrive here as IDCANCEL.
    dialog->OnCommand(LOWORD(wParam));
    return TRUE;
  }
  // WM_DPICHANGED stays unhandled (FALSE): per-monitor v2, the dialog manager
  // then resizes the dialog, recreates its font and lays out its controls.
  INT_PTR result = FALSE;
  if (message == WM_NCDESTROY) SetWindowLongPtrA(window, DWLP_USER, 0);
  return HandleCommon(*dialog, message, &result) ? result : FALSE;
}

CDialog::CDialog(int templateId, CWnd* parent)
    : m_nTemplateId(templateId), m_pParent(parent), m_pImpl(std::make_unique<Impl>()) {}

CDialog::~CDialog() = default;

int CDialog::DoModal() {
  m_pImpl->dialogTemplate = win32::BuildDialogTemplate(res::GetDialogTemplate(m_nTemplateId));
  const INT_PTR result = DialogBoxIndirectParamA(
      GetModuleHandleA(nullptr),
      reinterpret_cast<const DLGTEMPLATE*>(m_pImpl->dialogTemplate.data()),
      win32::OwnerFor(m_pParent, this), &Impl::DialogProc, reinterpret_cast<LPARAM>(this));
  m_pImpl->dialogTemplate.clear();
  return static_cast<int>(result);
}

void CDialog::EndDialog(int result) {
  if (m_hWnd) ::EndDialog(win32::ToHwnd(m_hWnd), result);
}

void CDialog::SetIcon(IconHandle icon, bool big) {
  SendMessageA(win32::ToHwnd(m_hWnd), WM_SETICON, big ? ICON_BIG : ICON_SMALL,
               reinterpret_cast<LPARAM>(icon));
}

bool CDialog::IsIconic() const {
  return m_hWnd && ::IsIconic(win32::ToHwnd(m_hWnd));
}

bool CDialog::OnInitDialog() {
  DoDataExchange();
  return true;
}

void CDialog::DDX_Control(int id, CWnd& control) {
  control.Attach(GetDlgItem(win32::ToHwnd(m_hWnd), id));
  m_pImpl->boundControls.push_back(&control);
}

void CDialog::OnCommand(int id) {
  if (id == IDOK) {
    OnOK();
  } else if (id == IDCANCEL) {
    OnCancel();
  }
}

void CDialog::OnPaint() {
  // What the default window procedure does: validate, drawing nothing.
  CPaintDC dc(this);
}

struct CPaintDC::Impl {
  HWND window;
  PAINTSTRUCT paint;
  HDC dc;
};

CPaintDC::CPaintDC(CWnd* window) : m_pImpl(std::make_unique<Impl>()) {
  m_pImpl->window = win32::ToHwnd(window->GetSafeHwnd());
  m_pImpl->dc = BeginPaint(m_pImpl->window, &m_pImpl->paint);
}

CPaintDC::~CPaintDC() {
  EndPaint(m_pImpl->window, &m_pImpl->paint);
}

void* CPaintDC::GetSafeHdc() const {
  return m_pImpl->dc;
}

void CPaintDC::DrawIcon(int x, int y, IconHandle icon) {
  ::DrawIcon(m_pImpl->dc, x, y, win32::ToHicon(icon));
}

}  // namespace ui
