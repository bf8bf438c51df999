// One page of a wizard. The page object is light; its window is built from its
// dialog template the first time the sheet shows it and kept until the sheet
// closes, so a wizard of thousands of pages opens at once.
#pragma once

#include <QPointer>
#include <QWidget>

namespace ui {

inline constexpr unsigned PSP_USETITLE = 0x8;
inline constexpr unsigned PSP_HASHELP = 0x20;

struct PROPSHEETPAGE {
  unsigned dwFlags = PSP_HASHELP;
  const char* pszTitle = nullptr;  // shown when PSP_USETITLE is set
};

class CPropertyPage {
 public:
  explicit CPropertyPage(int templateId) : m_nTemplateId(templateId) {}
  virtual ~CPropertyPage();
  CPropertyPage(const CPropertyPage&) = delete;
  CPropertyPage& operator=(const CPropertyPage&) = delete;

  // The page's window, or nullptr before it was first shown.
  QWidget* GetSafeHwnd() const { return m_pWnd; }
  // Builds the window inside `parent` and initialises it.
  void Create(QWidget* parent);
  // The title shown while the page is current.
  QString GetTitle() const;

  virtual bool OnSetActive() { return true; }
  // 0 goes to the neighbouring page; -1 stays.
  virtual int OnWizardBack() { return 0; }
  virtual int OnWizardNext() { return 0; }
  // True closes the sheet as finished.
  virtual bool OnWizardFinish() { return true; }

  PROPSHEETPAGE m_psp;

 protected:
  // Runs once, when the window has been built: binds controls, then sets them up.
  virtual bool OnInitDialog() {
    DoDataExchange();
    return true;
  }
  virtual void DoDataExchange() {}

 private:
  int m_nTemplateId;
  QPointer<QWidget> m_pWnd;
};

}  // namespace ui
