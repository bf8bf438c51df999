// The main window: the E-Book's title, a status text and three buttons.
#pragma once

#include "ui/framework/dialog.h"

namespace formats {
class CVariableTable;
}

namespace ui {

class CRebrandDlg : public CDialog {
 public:
  explicit CRebrandDlg(CWnd* parent = nullptr);

  // Title and status text, read afresh from the rebranding information.
  void RefreshStatus();

  // Checks the E-Book and starts it.
  void OnViewEBook();
  // Checks the E-Book, loads its table, runs the wizard and stores the result.
  void OnCustomize();
  // True only when the wizard was finished and the table stored.
  bool CustomizeTable(formats::CVariableTable& table);

 protected:
  void DoDataExchange() override;
  // Loads the rebranding information; on failure shows its error and ends the
  // dialog with IDCANCEL.
  bool OnInitDialog() override;
  void OnCommand(int id) override;
  // Minimised, the window shows its icon centred.
  void OnPaint() override;
  IconHandle OnQueryDragIcon() override;

  CButton m_btnView;
  CButton m_btnCustomize;
  CStatic m_stcStatus;
  IconHandle m_hIcon;
  int m_bCustomized = false;
};

}  // namespace ui
