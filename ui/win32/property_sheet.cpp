#include "ui/framework/property_sheet.h"

#include "res/dialog_template.h"
#include "ui/win32/dialog_impl.h"
#include "ui/win32/dialog_template_builder.h"

namespace ui {

struct CPropertySheet::Impl {
  // What a page's window leads back to: its sheet and its page object.
  struct PageLink {
    CPropertySheet* sheet;
    CPropertyPage* page;
  };

  // Kept while DoModal runs.
  std::vector<std::vector<uint16_t>> templates;
  std::vector<PageLink> links;
  bool finished = false;

  static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR Notify(const PageLink& link, HWND window, UINT code);
};

INT_PTR CALLBACK CPropertySheet::Impl::PageProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* header = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    auto* link = reinterpret_cast<PageLink*>(header->lParam);
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(link));
    link->sheet->Attach(GetParent(window));
    return CDialog::Impl::InitDialog(*link->page, window);
  }
  const auto* link = reinterpret_cast<const PageLink*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!link) return FALSE;
  if (message == WM_NOTIFY) {
    return Notify(*link, window, reinterpret_cast<const NMHDR*>(lParam)->code);
  }
  if (message == WM_NCDESTROY) SetWindowLongPtrA(window, DWLP_USER, 0);
  INT_PTR result = FALSE;
  return CDialog::Impl::HandleCommon(*link->page, message, &result) ? result : FALSE;
}

INT_PTR CPropertySheet::Impl::Notify(const PageLink& link, HWND window, UINT code) {
  LONG_PTR result = 0;
  switch (code) {
    case PSN_SETACTIVE:
      result = link.page->OnSetActive() ? 0 : -1;
      break;
    case PSN_WIZBACK:
      result = link.page->OnWizardBack();
      break;
    case PSN_WIZNEXT:
      result = link.page->OnWizardNext();
      break;
    case PSN_WIZFINISH: {
      const bool close = link.page->OnWizardFinish();
      if (close) link.sheet->m_pImpl->finished = true;
      result = close ? FALSE : TRUE;  // nonzero keeps the sheet open
      break;
    }
    default:
      return FALSE;
  }
  SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
  return TRUE;
}

CPropertySheet::CPropertySheet(const std::string& caption, CWnd* parent, int selectPage)
    : m_strCaption(caption),
      m_pParent(parent),
      m_nSelectPage(selectPage),
      m_pImpl(std::make_unique<Impl>()) {}

CPropertySheet::~CPropertySheet() = default;

void CPropertySheet::AddPage(CPropertyPage* page) {
  m_pages.push_back(page);
}

CPropertyPage* CPropertySheet::GetActivePage() const {
  if (!m_hWnd) {
    const bool valid = m_nSelectPage >= 0 && m_nSelectPage < GetPageCount();
    return valid ? m_pages[m_nSelectPage] : nullptr;
  }
  const auto current =
      reinterpret_cast<HWND>(SendMessageA(win32::ToHwnd(m_hWnd), PSM_GETCURRENTPAGEHWND, 0, 0));
  for (CPropertyPage* page : m_pages) {
    if (page->GetSafeHwnd() == current) return page;
  }
  return nullptr;
}

int CPropertySheet::DoModal() {
  Impl& impl = *m_pImpl;
  impl.templates.clear();
  impl.links.clear();
  impl.finished = false;
  // The page headers point into both; no reallocation past this point.
  impl.templates.reserve(m_pages.size());
  impl.links.reserve(m_pages.size());

  const HINSTANCE instance = GetModuleHandleA(nullptr);
  std::vector<PROPSHEETPAGEA> pages(m_pages.size());
  for (size_t i = 0; i < m_pages.size(); ++i) {
    CPropertyPage* page = m_pages[i];
    impl.templates.push_back(
        win32::BuildDialogTemplate(res::GetDialogTemplate(page->GetTemplateId())));
    impl.links.push_back({this, page});
    PROPSHEETPAGEA& header = pages[i];
    header.dwSize = sizeof(header);
    header.dwFlags = PSP_DLGINDIRECT | page->m_psp.dwFlags;
    header.hInstance = instance;
    header.pResource = reinterpret_cast<const DLGTEMPLATE*>(impl.templates.back().data());
    header.pszTitle = page->m_psp.pszTitle;
    header.pfnDlgProc = &Impl::PageProc;
    header.lParam = reinterpret_cast<LPARAM>(&impl.links.back());
  }

  PROPSHEETHEADERA header{};
  header.dwSize = sizeof(header);
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | m_psh.dwFlags;
  header.hwndParent = win32::OwnerFor(m_pParent, this);
  header.hInstance = instance;
  header.pszCaption = m_strCaption.c_str();
  header.nPages = static_cast<UINT>(pages.size());
  header.nStartPage = static_cast<UINT>(m_nSelectPage);
  header.ppsp = pages.data();
  PropertySheetA(&header);

  Attach(nullptr);
  impl.templates.clear();
  impl.links.clear();
  return impl.finished ? ID_WIZFINISH : IDCANCEL;
}

void CPropertySheet::PostWizardButtons(uint32_t flags) {
  if (m_hWnd) PostMessageA(win32::ToHwnd(m_hWnd), PSM_SETWIZBUTTONS, 0, flags);
}

}  // namespace ui
