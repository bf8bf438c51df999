// Every text that the shared parts of the kit put in front of its user: the
// command line, files and JSON fields, and how a report is worded. Both tools
// show them, so a change here shows in both. The tests pin many byte for byte.
#pragma once

#include <cstdint>
#include <string>

namespace kit_messages {

// Names for the standard streams where a path would stand.
inline constexpr char kStandardInput[] = "standard input";
inline constexpr char kStandardOutput[] = "standard output";

// How a report line is marked.
inline constexpr char kSeeHelp[] = " (see --help)";
inline constexpr char kWarning[] = "warning: ";
inline constexpr char kNote[] = "note: ";

// What stands at a path that should be a plain file.
inline constexpr char kIsFolder[] = "is a folder";
inline constexpr char kIsNoPlainFile[] = "is no plain file";
inline constexpr char kDiskFull[] = "the disk is full";

// The command line.
inline std::string UnknownOption(const std::string& written) {
  return "unknown option " + written;
}
inline std::string OptionGivenTwice(const std::string& name) {
  return "--" + name + " given twice";
}
inline std::string OptionTakesNoValue(const std::string& name) {
  return "--" + name + " takes no value";
}
inline std::string OptionNeedsValue(const std::string& name) {
  return "--" + name + " needs a value";
}
inline std::string UnknownCommand(const std::string& command) {
  return "unknown command " + command;
}
inline std::string CommandTakesNoOption(const std::string& command, const std::string& option) {
  return command + " takes no --" + option;
}
inline std::string UnexpectedOperand(const std::string& operand) {
  return "unexpected operand " + operand;
}
inline std::string UnknownEncoding(const std::string& name) {
  return "unknown encoding " + name;
}
inline std::string MissingOption(const std::string& name) {
  return "missing --" + name;
}

// A text that the code page cannot hold, and bytes that are not text.
inline constexpr char kNotUtf8[] = "a byte that is not UTF-8";
inline constexpr char kSomeCharacter[] = "a character";
inline constexpr char kWriteAsBase64[] = " (write such bytes as {\"base64\": \"...\"})";
inline constexpr char kInvalidBase64[] = "holds invalid base64";
inline constexpr char kStringOrBase64[] = "must be a string or {\"base64\": \"...\"}";
inline std::string CannotHold(const std::string& character, const std::string& codePage) {
  return "holds " + character + ", which " + codePage + " cannot hold";
}

// Where in a JSON file, and what is wrong with it.
inline std::string VariableNamed(const std::string& ident) {
  return "variable \"" + ident + "\"";
}
inline std::string LineAndColumn(long line, long column) {
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}
inline std::string InPlace(const std::string& place) {
  return " (in " + place + ")";
}
inline std::string KeyGivenTwice(const std::string& key) {
  return "key \"" + key + "\" given twice";
}
inline constexpr char kJsonNotObject[] = "the JSON must be an object";

// A field of a JSON object: "field \"KEY\" PROBLEM".
inline constexpr char kUnknownField[] = "is not a known field";
inline constexpr char kNot32BitInteger[] = "must be a 32-bit integer";
inline constexpr char kHoldsZeroByte[] = "must not hold a zero byte";
inline std::string OutOfRange(int32_t value, int32_t low, int32_t high) {
  return "is " + std::to_string(value) + "; it must be " + std::to_string(low) +
         (high == low + 1 ? " or " : " to ") + std::to_string(high);
}
inline std::string FieldProblem(const std::string& key, const std::string& problem) {
  return "field \"" + key + "\" " + problem;
}
inline std::string MissingField(const std::string& key) {
  return "missing field \"" + key + "\"";
}

}  // namespace kit_messages
