#include "tools/common/console_ui.h"

#include <iostream>

#include "tools/common/kit_messages.h"

namespace tool_files {

ConsoleUserInterface::ConsoleUserInterface(std::string tool, std::string file)
    : m_tool(std::move(tool)), m_file(std::move(file)) {
  platform::SetUserInterface(this);
}

ConsoleUserInterface::~ConsoleUserInterface() {
  platform::SetUserInterface(nullptr);
}

void ConsoleUserInterface::ShowMessage(const std::string&, const std::string& text,
                                       platform::MessageIcon icon) {
  // A message box's paragraphs, run together on one line.
  std::string line;
  for (const char c : text) {
    if (c != '\n') {
      line += c;
    } else if (!line.empty() && line.back() != ' ') {
      line += ' ';
    }
  }
  const char* kind = icon == platform::MessageIcon::Information ? kit_messages::kNote : "";
  std::cerr << m_tool << ": " << m_file << ": " << kind << line << '\n';
}

}  // namespace tool_files
