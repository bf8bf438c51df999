// The application object. Each backend's entry point sets up the toolkit and
// the user interface of platform/, then runs AfxGetApp()->InitInstance().
#pragma once

#include <string>

#include "ui/framework/wnd.h"

namespace ui {

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // False ends the program without a message loop of the application's own.
  virtual bool InitInstance() = 0;

  // An icon resource of the program (res/), loaded once and never released.
  IconHandle LoadIcon(int id) const;
  // Replaces the application name, the caption of every message box.
  void SetAppName(const std::string& name);

  // Owner of message boxes and of dialogs that have no parent.
  CWnd* m_pMainWnd = nullptr;
};

// The one application object.
CWinApp* AfxGetApp();

}  // namespace ui
