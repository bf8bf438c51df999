// The property sheet in wizard mode and its pages. A page's window is built
// from its template the first time the sheet shows it and kept until the
// sheet closes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/framework/dialog.h"

namespace ui {

inline constexpr uint32_t PSP_USETITLE = 0x8;
inline constexpr uint32_t PSP_HASHELP = 0x20;
inline constexpr uint32_t PSH_WIZARD = 0x20;
inline constexpr uint32_t PSH_HASHELP = 0x200;
inline constexpr uint32_t PSWIZB_BACK = 1;
inline constexpr uint32_t PSWIZB_NEXT = 2;
inline constexpr uint32_t PSWIZB_FINISH = 4;
inline constexpr uint32_t PSM_SETWIZBUTTONS = 0x470;
inline constexpr int ID_WIZBACK = 12323;
inline constexpr int ID_WIZNEXT = 12324;
inline constexpr int ID_WIZFINISH = 12325;
inline constexpr int IDHELP = 9;

// The parts of the page header the program sets.
struct PROPSHEETPAGE {
  uint32_t dwFlags = PSP_HASHELP;
  const char* pszTitle = nullptr;  // shown while the page is current, with PSP_USETITLE
};

struct PROPSHEETHEADER {
  uint32_t dwFlags = PSH_HASHELP;
};

class CPropertyPage : public CDialog {
 public:
  explicit CPropertyPage(int templateId) : CDialog(templateId) {}

  virtual bool OnSetActive() { return true; }
  // 0 goes to the neighbouring page; -1 stays.
  virtual int OnWizardBack() { return 0; }
  virtual int OnWizardNext() { return 0; }
  // True closes the sheet with ID_WIZFINISH.
  virtual bool OnWizardFinish() { return true; }

  PROPSHEETPAGE m_psp;

 private:
  friend class CPropertySheet;
};

class CPropertySheet : public CWnd {
 public:
  CPropertySheet(const std::string& caption, CWnd* parent = nullptr, int selectPage = 0);
  ~CPropertySheet() override;

  // Not owned.
  void AddPage(CPropertyPage* page);
  int GetPageCount() const { return static_cast<int>(m_pages.size()); }
  CPropertyPage* GetPage(int index) const { return m_pages[index]; }
  CPropertyPage* GetActivePage() const;

  // Shows the sheet modally, owned by the application's main window:
  // ID_WIZFINISH after Finish, IDCANCEL otherwise.
  int DoModal();
  // Posts PSM_SETWIZBUTTONS with the flags to the sheet's window: Back is
  // enabled, and Next or Finish shown, once the current message is handled.
  void PostWizardButtons(uint32_t flags);

  PROPSHEETHEADER m_psh;

  // The backend's per-sheet state.
  struct Impl;

 private:
  std::string m_strCaption;
  CWnd* m_pParent;
  int m_nSelectPage;
  std::vector<CPropertyPage*> m_pages;
  std::unique_ptr<Impl> m_pImpl;
  friend struct Impl;
};

}  // namespace ui
