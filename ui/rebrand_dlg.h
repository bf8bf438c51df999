// The main window: the E-Book's title, a status text and three buttons.
#pragma once

#include <QDialog>
#include <QIcon>

class QLabel;
class QPushButton;

namespace formats {
class CVariableTable;
}

namespace ui {

class CRebrandDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CRebrandDlg(QWidget* parent = nullptr);

  // Initialises, then runs the modal loop unless initialisation ended the dialog.
  int DoModal();
  // Loads the rebranding information; on failure shows its error and ends the
  // dialog with IDCANCEL.
  bool OnInitDialog();
  // Title and status text, read afresh from the rebranding information.
  void RefreshStatus();

  // Checks the E-Book and starts it.
  void OnViewEBook();
  // Checks the E-Book, loads its table, runs the wizard and stores the result.
  void OnCustomize();
  // True only when the wizard was finished and the table stored.
  bool CustomizeTable(formats::CVariableTable& table);

  // Exit, Escape and the close box end the dialog with IDCANCEL.
  void reject() override;

 protected:
  void DoDataExchange();

  QPushButton* m_btnView = nullptr;
  QPushButton* m_btnCustomize = nullptr;
  QLabel* m_stcStatus = nullptr;
  QIcon m_hIcon;
  int m_bCustomized = false;

 private:
  bool m_bEndedDuringInit = false;
};

}  // namespace ui
