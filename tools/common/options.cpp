#include "tools/common/options.h"

#include <algorithm>

#include "tools/common/kit_messages.h"

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
      error = kit_messages::UnknownOption(written);
      return false;
    }
    if (parsed.Has(rule->name)) {
      error = kit_messages::OptionGivenTwice(rule->name);
      return false;
    }
    // The value: after "=", glued to a short name, or the next argument.
    const bool glued = isLong ? equals != std::string::npos : arg.size() > 2;
    std::string value = !glued ? "" : isLong ? arg.substr(equals + 1) : arg.substr(2);
    if (!rule->takesValue && glued) {
      error = kit_messages::OptionTakesNoValue(rule->name);
      return false;
    }
    if (rule->takesValue && !glued) {
      if (i + 1 >= args.size()) {
        error = kit_messages::OptionNeedsValue(rule->name);
        return false;
      }
      value = args[++i];
    }
    parsed.options[rule->name] = value;
  }
  return true;
}

}  // namespace tool_files
