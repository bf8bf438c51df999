#include "tools/common/tool_main.h"

#include <iostream>

#include "tools/common/kit_messages.h"

namespace tool_files {

int ToolReport::Fail(const std::string& problem) const {
  std::cerr << m_tool << ": " << problem << '\n';
  return kExitFailed;
}

int ToolReport::Usage(const std::string& problem) const {
  std::cerr << m_tool << ": " << problem << kit_messages::kSeeHelp << '\n';
  return kExitUsage;
}

void ToolReport::Warn(const std::string& where, const std::string& warning) const {
  std::cerr << m_tool << ": " << (where.empty() ? "" : where + ": ") << kit_messages::kWarning
            << warning << '\n';
}

std::optional<TextCodec> OpenCodec(const ParsedArguments& args) {
  return TextCodec::Open(args.Has("encoding") ? args.Value("encoding") : TextCodec::kUtf8);
}

}  // namespace tool_files
