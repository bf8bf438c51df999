// A dialog built from one of the templates in res/. DoModal creates the
// window, runs OnInitDialog, then the modal loop; EndDialog ends it.
#pragma once

#include <memory>

#include "ui/framework/wnd.h"

namespace ui {

class CDialog : public CWnd {
 public:
  // The template id is one of res/'s. With no parent, the dialog is owned by
  // the application's main window, if there is one.
  explicit CDialog(int templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // The EndDialog result. When OnInitDialog ends the dialog, the modal loop
  // is never entered.
  virtual int DoModal();
  void EndDialog(int result);

  // WM_SETICON: the title bar's (small) or the task switcher's (big) icon.
  void SetIcon(IconHandle icon, bool big);
  bool IsIconic() const;
  int GetTemplateId() const { return m_nTemplateId; }

  // The backend's per-window state.
  struct Impl;

 protected:
  // Runs once the window and its controls exist; the base binds the controls.
  virtual bool OnInitDialog();
  virtual void DoDataExchange() {}
  // Binds `control` to the dialog's control with this id.
  void DDX_Control(int id, CWnd& control);

  // A click on the push button with this id; the base sends IDOK and IDCANCEL
  // on. Escape and the close box arrive as IDCANCEL.
  virtual void OnCommand(int id);
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }

  // WM_PAINT and WM_QUERYDRAGICON. The base paints as the platform does and
  // has no drag icon.
  virtual void OnPaint();
  virtual IconHandle OnQueryDragIcon() { return nullptr; }

 private:
  int m_nTemplateId;
  CWnd* m_pParent;
  std::unique_ptr<Impl> m_pImpl;
  friend struct Impl;
};

// Painting inside OnPaint: begins on construction, ends on destruction.
class CPaintDC {
 public:
  explicit CPaintDC(CWnd* window);
  ~CPaintDC();
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;

  // HDC with Win32, QPainter* with Qt.
  void* GetSafeHdc() const;
  void DrawIcon(int x, int y, IconHandle icon);

  struct Impl;

 private:
  std::unique_ptr<Impl> m_pImpl;
};

}  // namespace ui
