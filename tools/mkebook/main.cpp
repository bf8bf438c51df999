// mkebook: packs a program and a JSON table description into an E-Book, and
// dumps an existing E-Book's trailer and table as the same JSON.
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tools/common/console_ui.h"
#include "tools/common/kit_messages.h"
#include "tools/common/options.h"
#include "tools/common/text_codec.h"
#include "tools/common/tool_files.h"
#include "tools/common/tool_main.h"
#include "tools/common/tool_paths.h"
#include "tools/mkebook/mkebook_messages.h"
#include "tools/mkebook/package_checks.h"
#include "tools/mkebook/package_json.h"
#include "tools/mkebook/set_values.h"

namespace {

using tool_files::kExitFailed;
using tool_files::kExitOk;
using tool_files::kExitUsage;
using tool_files::ParsedArguments;

using mkebook_messages::kUsage;

const tool_files::ToolReport report("mkebook");

// Shows the warnings, and the refusals as failures; true when none refuses.
bool Report(const std::string& file, const packing::PackageFindings& found) {
  for (const std::string& warning : found.warnings) report.Warn(file, warning);
  for (const std::string& refusal : found.refusals) {
    report.Fail(file + ": " + refusal);
  }
  return found.refusals.empty();
}

// Each command's options besides --encoding, and how many operands it takes.
struct Command {
  std::set<std::string> options;
  std::vector<std::string> required;
  size_t operands;
};

int Pack(const ParsedArguments& args, const tool_files::TextCodec& codec) {
  const std::string& tablePath = args.Value("table");
  std::string table, error;
  if (!tool_files::ReadWholeFile(tablePath, table, error)) return report.Fail(error);
  packing::EBookPackage package;
  const std::string tableName = tablePath == "-" ? kit_messages::kStandardInput : tablePath;
  if (!packing::PackageFromJson(table, codec, package, error))
    return report.Fail(tableName + ": " + error);
  if (!Report(tableName, packing::CheckPackage(package))) return kExitFailed;
  const std::string& program = args.Value("program");
  if (packing::IsSignedProgram(program)) report.Warn(program, mkebook_messages::kSignedEBook);
  if (!packing::PackEBook(args.Value("program"), package, args.Value("output"), error)) {
    return report.Fail(error);
  }
  return kExitOk;
}

int Dump(const ParsedArguments& args, const tool_files::TextCodec& codec) {
  const std::string& path = args.operands[1];
  const std::string field = args.Has("field") ? args.Value("field") : "";
  if (!field.empty() && field != "id" && field != "version") {
    return report.Usage(mkebook_messages::kFieldIdOrVersion);
  }
  packing::EBookPackage package;
  std::vector<std::string> cutTexts;
  std::string error;
  if (!packing::LoadPackage(path, package, error, &cutTexts)) return report.Fail(error);
  for (const std::string& name : cutTexts) {
    report.Warn(path, mkebook_messages::TextCutAtZero(name));
  }
  const std::string text = field == "id"        ? package.trailer.GetId() + '\n'
                           : field == "version" ? std::to_string(package.trailer.m_nVersion) + '\n'
                                                : packing::PackageToJson(package, codec);
  const std::string output = args.Has("output") ? args.Value("output") : "-";
  return tool_files::WriteWholeFile(output, text, error) ? kExitOk : report.Fail(error);
}

// An E-Book, or a table file: whatever starts with "{" is taken for JSON.
int Check(const ParsedArguments& args, const tool_files::TextCodec& codec) {
  const std::string& path = args.operands[1];
  std::string bytes, error;
  if (!tool_files::ReadWholeFile(path, bytes, error)) return report.Fail(error);
  const size_t first = bytes.find_first_not_of(" \t\r\n");
  const std::string name = path == "-" ? kit_messages::kStandardInput : path;
  packing::EBookPackage package;
  if (first != std::string::npos && bytes[first] == '{') {
    if (!packing::PackageFromJson(bytes, codec, package, error))
      return report.Fail(name + ": " + error);
  } else {
    if (packing::IsSignedProgram(path)) report.Warn(name, mkebook_messages::kSignedEBook);
    if (!packing::LoadPackage(path, package, error)) return report.Fail(error);
  }
  return Report(name, packing::CheckPackage(package)) ? kExitOk : kExitFailed;
}

// In place, or one copy per value set of --copies into the folder --output.
int Set(const ParsedArguments& args, const tool_files::TextCodec& codec) {
  const std::string& path = args.operands[1];
  const bool force = args.Has("force");
  std::string error;
  if (args.Has("copies")) {
    if (args.operands.size() > 2 || args.Has("values")) {
      return report.Usage(mkebook_messages::kCopiesFromFileOnly);
    }
    if (!args.Has("output")) return report.Usage(mkebook_messages::kCopiesNeedOutput);
    std::string lines;
    const std::string& linesPath = args.Value("copies");
    if (!tool_files::ReadWholeFile(linesPath, lines, error)) return report.Fail(error);
    if (!packing::MakeCustomizedCopies(path, lines, args.Value("output"), codec, force, error)) {
      return report.Fail(error.rfind(mkebook_messages::kLine, 0) == 0 ? linesPath + ": " + error
                                                                      : error);
    }
    return kExitOk;
  }
  if (args.Has("output")) return report.Usage(mkebook_messages::kSetWritesInPlace);
  packing::ValueSet values;
  const std::vector<std::string> pairs(args.operands.begin() + 2, args.operands.end());
  if (!packing::ValuesFromArguments(pairs, codec, !args.Has("encoding"), values, error)) {
    return report.Usage(error);
  }
  if (args.Has("values")) {
    std::string json;
    const std::string& valuesPath = args.Value("values");
    if (!tool_files::ReadWholeFile(valuesPath, json, error)) return report.Fail(error);
    if (!packing::ValuesFromJson(json, codec, values, error)) {
      return report.Fail((valuesPath == "-" ? kit_messages::kStandardInput : valuesPath) + ": " +
                         error);
    }
  }
  if (values.empty()) return report.Usage(mkebook_messages::kSetNeedsValues);
  const tool_files::ConsoleUserInterface ui("mkebook", path);
  return packing::SetValuesInPlace(path, values, force) ? kExitOk : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<tool_files::OptionRule> rules = {
      {"program", 'p'}, {"table", 't'},       {"output", 'o'},         {"encoding", 'e'},
      {"field", 'f'},   {"help", 'h', false}, {"version", 'V', false}, {"values", 0},
      {"copies", 0},    {"force", 0, false}};
  ParsedArguments args;
  std::string error;
  if (!tool_files::ParseArguments(tool_files::ToolArguments(argc, argv), rules, args, error)) {
    return report.Usage(error);
  }
  if (args.Has("help")) {
    std::cout << kUsage;
    return kExitOk;
  }
  if (args.Has("version")) {
    std::cout << mkebook_messages::kVersionPrefix << REBRANDER_VERSION "\n";
    return kExitOk;
  }
  const Command pack = {{"program", "table", "output"}, {"program", "table", "output"}, 1};
  const Command dump = {{"field", "output"}, {}, 2};
  const Command check = {{}, {}, 2};
  const Command set = {{"values", "copies", "output", "force"}, {}, 2};
  if (args.operands.empty()) return report.Usage(mkebook_messages::kNoCommand);
  const std::string& name = args.operands[0];
  if (name != "pack" && name != "dump" && name != "check" && name != "set") {
    return report.Usage(kit_messages::UnknownCommand(name));
  }
  const Command& command = name == "pack"   ? pack
                           : name == "dump" ? dump
                           : name == "set"  ? set
                                            : check;
  for (const auto& [option, value] : args.options) {
    if (option != "encoding" && !command.options.count(option)) {
      return report.Usage(kit_messages::CommandTakesNoOption(name, option));
    }
  }
  for (const std::string& option : command.required) {
    if (!args.Has(option)) return report.Usage(mkebook_messages::CommandNeedsOption(name, option));
  }
  if (args.operands.size() < command.operands)
    return report.Usage(mkebook_messages::CommandNeedsPath(name));
  if (args.operands.size() > command.operands && name != "set") {
    return report.Usage(kit_messages::UnexpectedOperand(args.operands[command.operands]));
  }
  const auto codec = tool_files::OpenCodec(args);
  if (!codec) return report.Usage(kit_messages::UnknownEncoding(args.Value("encoding")));
  if (name == "check") return Check(args, *codec);
  if (name == "set") return Set(args, *codec);
  return name == "pack" ? Pack(args, *codec) : Dump(args, *codec);
}
