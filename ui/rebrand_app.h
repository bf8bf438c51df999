// The application object: runs the main dialog and ends when it ends.
#pragma once

#include "ui/framework/win_app.h"

namespace ui {

class CRebrandApp : public CWinApp {
 public:
  // Runs the main dialog modally; always returns false, so no further event
  // loop is entered.
  bool InitInstance() override;
};

}  // namespace ui
