// The one way the program's logic reaches the user: message boxes and the wait
// cursor. The window layer installs a real implementation; tests install one
// that records what was shown.
#pragma once

#include <string>

namespace platform {

enum class MessageIcon { Exclamation, Information };

class IUserInterface {
 public:
  virtual ~IUserInterface() = default;
  // A modal message with an OK button only.
  virtual void ShowMessage(const std::string& caption, const std::string& text,
                           MessageIcon icon) = 0;
  virtual void SetWaitCursor(bool on) = 0;
};

// Not owned; nullptr removes it (messages then go to standard error).
void SetUserInterface(IUserInterface* ui);

// Caption of every message box. Until set, the running executable's file name
// without its extension.
std::string GetApplicationName();
void SetApplicationName(std::string name);
// Back to the executable's name; for tests.
void ResetApplicationNameForTesting();

void AfxMessageBox(const std::string& text, MessageIcon icon = MessageIcon::Exclamation);

// Shows the wait cursor for its lifetime.
class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
};

}  // namespace platform
