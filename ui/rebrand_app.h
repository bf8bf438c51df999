// The application object: runs the main dialog and ends when it ends.
#pragma once

#include <string>

class QWidget;

namespace ui {

class CRebrandApp {
 public:
  // Runs the main dialog modally; always returns false, so no further event
  // loop is entered.
  bool InitInstance();

  // Replaces the application name, the caption of every message box.
  void SetAppName(const std::string& name);

  QWidget* m_pMainWnd = nullptr;
};

extern CRebrandApp theApp;

}  // namespace ui
