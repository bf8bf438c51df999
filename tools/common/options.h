// The command line of both tools, read the way Debian's programs read theirs:
// "--name value" and "--name=value", short forms such as "-o value" and
// "-ovalue", options and operands in any order, "--" ending the options, and
// "-" an operand (standard input or output).
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tool_files {

struct OptionRule {
  std::string name;    // without "--"
  char shortName = 0;  // 0 for none
  bool takesValue = true;
};

struct ParsedArguments {
  std::map<std::string, std::string> options;  // flags hold ""
  std::vector<std::string> operands;

  bool Has(const std::string& name) const { return options.count(name) != 0; }
  const std::string& Value(const std::string& name) const { return options.at(name); }
};

// On a usage error returns false with one line in `error`: an unknown
// option, an option given twice, a value missing or given to a flag.
bool ParseArguments(const std::vector<std::string>& args, const std::vector<OptionRule>& rules,
                    ParsedArguments& parsed, std::string& error);

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

}  // namespace tool_files
