#include "tools/common/options.h"

#include <algorithm>

namespace tool_files {

bool ParseArguments(const std::vector<std::string>& args, const std::vector<OptionRule>& rules,
                    ParsedArguments& parsed, std::string& error) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
      parsed.operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const bool isLong = arg.compare(0, 2, "--") == 0;
    const size_t equals = isLong ? arg.find('=') : std::string::npos;
    const std::string written = isLong ? arg.substr(0, equals) : arg.substr(0, 2);
    const auto rule = std::find_if(rules.begin(), rules.end(), [&](const OptionRule& s) {
      return isLong ? written == "--" + s.name : s.shortName != 0 && written[1] == s.shortName;
    });
    if (rule == rules.end()) {
      error = "unknown option " + written;
      return false;
    }
    if (parsed.Has(rule->name)) {
      error = "--" + rule->name + " given twice";
      return false;
    }
    // The value: after "=", glued to a short name, or the next argument.
    const bool glued = isLong ? equals != std::string::npos : arg.size() > 2;
    std::string value = !glued ? "" : isLong ? arg.substr(equals + 1) : arg.substr(2);
    if (!rule->takesValue && glued) {
      error = "--" + rule->name + " takes no value";
      return false;
    }
    if (rule->takesValue && !glued) {
      if (i + 1 >= args.size()) {
        error = "--" + rule->name + " needs a value";
        return false;
      }
      value = args[++i];
    }
    parsed.options[rule->name] = value;
  }
  return true;
}

}  // namespace tool_files
