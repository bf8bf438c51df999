// A wizard frame: the current page above Back, Next or Finish, and Cancel.
// The title bar shows the current page's title.
#pragma once

#include <QDialog>
#include <vector>

class QPushButton;

namespace ui {

class CPropertyPage;

inline constexpr unsigned PSH_WIZARD = 0x20;
inline constexpr unsigned PSH_HASHELP = 0x200;
inline constexpr unsigned PSWIZB_BACK = 1;
inline constexpr unsigned PSWIZB_NEXT = 2;
inline constexpr unsigned PSWIZB_FINISH = 4;
inline constexpr int ID_WIZFINISH = 12325;
inline constexpr int ID_WIZBACK = 12323;
inline constexpr int ID_WIZNEXT = 12324;
inline constexpr int IDHELP = 9;

struct PROPSHEETHEADER {
  unsigned dwFlags = PSH_HASHELP;
};

class CPropertySheet : public QDialog {
  Q_OBJECT

 public:
  // With no parent, the sheet is owned by the application's main window.
  CPropertySheet(const QString& caption, QWidget* parent = nullptr, int selectPage = 0);
  ~CPropertySheet() override;

  // Not owned.
  void AddPage(CPropertyPage* page);
  int GetPageCount() const { return static_cast<int>(m_pages.size()); }
  CPropertyPage* GetActivePage() const;

  // Shows the sheet modally; ID_WIZFINISH after Finish, IDCANCEL otherwise.
  int DoModal();
  // Enables Back, and shows Next or Finish, as the flags say.
  void SetWizardButtons(unsigned flags);
  // The same, delivered once the current event has been handled.
  void PostWizardButtons(unsigned flags);

  void reject() override;

  PROPSHEETHEADER m_psh;

 private:
  void SetActivePage(int index);
  void OnBack();
  void OnNext();
  void OnFinish();

  int m_nSelectPage;
  std::vector<CPropertyPage*> m_pages;
  int m_nActive = -1;
  QWidget* m_pPageArea;
  QPushButton* m_btnBack;
  QPushButton* m_btnNext;
  QPushButton* m_btnFinish;
  QPushButton* m_btnCancel;
  QPushButton* m_btnHelp;
};

}  // namespace ui
