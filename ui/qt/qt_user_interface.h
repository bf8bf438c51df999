// Shows messages as modal message boxes and the wait cursor as the
// application's override cursor.
#pragma once

#include "platform/user_interface.h"

namespace ui {

class CQtUserInterface : public platform::IUserInterface {
 public:
  void ShowMessage(const std::string& caption, const std::string& text,
                   platform::MessageIcon icon) override;
  void SetWaitCursor(bool on) override;
};

}  // namespace ui
