// What the main functions of both tools share: a report on standard error is
// one line, "tool: problem", and ends the run with its exit status; and the
// code page that --encoding names (UTF-8 when it is left out).
#pragma once

#include <optional>
#include <string>

#include "tools/common/options.h"
#include "tools/common/text_codec.h"

namespace tool_files {

class ToolReport {
 public:
  explicit ToolReport(std::string tool) : m_tool(std::move(tool)) {}

  // The work failed: kExitFailed.
  int Fail(const std::string& problem) const;
  // The command line is wrong: kExitUsage, and a pointer to --help.
  int Usage(const std::string& problem) const;
  // The work goes on: "tool: WHERE: warning: text" ("tool: warning: text"
  // with no `where`).
  void Warn(const std::string& where, const std::string& warning) const;

 private:
  std::string m_tool;
};

std::optional<TextCodec> OpenCodec(const ParsedArguments& args);

}  // namespace tool_files
