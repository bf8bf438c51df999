// The tools' user interface for the rebrander's own operations: each message
// as one line on standard error, "tool: FILE: text", and no wait cursor.
#pragma once

#include <string>

#include "platform/user_interface.h"

namespace tool_files {

class ConsoleUserInterface : public platform::IUserInterface {
 public:
  // Installed for its lifetime; messages name `file`.
  ConsoleUserInterface(std::string tool, std::string file);
  ~ConsoleUserInterface() override;

  void ShowMessage(const std::string& caption, const std::string& text,
                   platform::MessageIcon icon) override;
  void SetWaitCursor(bool) override {}

 private:
  std::string m_tool, m_file;
};

}  // namespace tool_files
