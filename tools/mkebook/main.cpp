// mkebook: packs a program and a JSON table description into an E-Book, and
// dumps an existing E-Book's trailer and table as the same JSON.
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tools/common/console_ui.h"
#include "tools/common/options.h"
#include "tools/common/text_codec.h"
#include "tools/common/tool_files.h"
#include "tools/common/tool_main.h"
#include "tools/common/tool_paths.h"
#include "tools/mkebook/package_checks.h"
#include "tools/mkebook/package_json.h"
#include "tools/mkebook/set_values.h"

namespace {

using tool_files::kExitFailed;
using tool_files::kExitOk;
using tool_files::kExitUsage;
using tool_files::ParsedArguments;

constexpr char kUsage[] =
    "usage: mkebook pack -p PROG -t TABLE.json -o OUT [-e NAME]\n"
    "       mkebook dump EBOOK [-e NAME] [-f id|version] [-o FILE]\n"
    "       mkebook check EBOOK-or-TABLE.json [-e NAME]\n"
    "       mkebook set EBOOK IDENT=VALUE... [--values VALUES.json] [--force] [-e NAME]\n"
    "       mkebook set EBOOK --copies SETS.jsonl -o FOLDER [--force] [-e NAME]\n"
    "       mkebook --help | --version\n"
    "\n"
    "pack writes OUT: PROG with the variable table and the 104-byte trailer appended\n"
    "(an E-Book given as PROG has its old table replaced). OUT appears only when it\n"
    "is complete and keeps PROG's permissions.\n"
    "dump prints an E-Book's trailer and table as the JSON that pack reads, or one\n"
    "field of it (the identity's raw bytes, or the version). Packing a dump with the\n"
    "E-Book as PROG gives back the same file, byte for byte.\n"
    "check reads an E-Book or a table file (- reads standard input) and says what\n"
    "would ship broken, as pack and mkrebrander do before they write: refused are\n"
    "editable or rebranded other than 0 or 1, a negative version, an empty or\n"
    "repeated ident, an id over 64 bytes, a repeated JSON key, and (pack) a program\n"
    "that ends like a damaged E-Book; warned of are types outside 0 to 3 and a table\n"
    "with no editable variable.\n"
    "set customizes without the wizard: it writes the values of editable variables\n"
    "into the E-Book in place, as the rebrander does (an E-Book in use is refused,\n"
    "a store cut short is rolled back), and marks it customized; an E-Book marked\n"
    "already is refused unless --force. --values reads {\"IDENT\": \"VALUE\", ...}.\n"
    "--copies reads one such object a line and writes one customized copy for each\n"
    "into FOLDER/1/EBOOK, FOLDER/2/EBOOK, ... leaving EBOOK as it is.\n"
    "\n"
    "Options:\n"
    "  -p, --program PROG    the program to pack (a packed E-Book is repacked)\n"
    "  -t, --table FILE      the JSON table; - reads standard input\n"
    "  -o, --output FILE     pack: the E-Book to write; dump: the file for the\n"
    "                        dump (- or left out: standard output)\n"
    "  -e, --encoding NAME   the code page of the E-Book's texts (default UTF-8)\n"
    "  -f, --field id|version  dump one field only\n"
    "  -h, --help            show this help and exit\n"
    "  -V, --version         show the version of mkebook and exit\n"
    "Options and operands come in any order; -- ends the options.\n"
    "\n"
    "The JSON:\n"
    "  {\"id\": \"My Book 1.0\", \"version\": 3, \"rebranded\": 0,\n"
    "   \"opaque\": [0, 0, 0, 0, 0, 0],              (optional; the trailer's other fields)\n"
    "   \"variables\": [{\"ident\": \"title\", \"prompt\": \"Title:\", \"value\": \"My Book\",\n"
    "                  \"editable\": 1, \"type\": 0}, ...]}\n"
    "type 0 and 1 are one-line texts, 2 and 3 multi-line, others are not offered;\n"
    "editable 0 hides a variable. The id holds at most 64 bytes.\n"
    "\n"
    "Texts: the E-Book stores 8-bit text in a code page, UTF-8 unless --encoding\n"
    "names another: windows-NNNN, cpNNN, ibmNNN, Shift_JIS, GBK, GB18030, Big5,\n"
    "ISO-8859-N or KOI8-R (windows-1252 for most Windows E-Books). pack converts\n"
    "the JSON's text into it and refuses a character that it cannot hold; dump\n"
    "converts back. Bytes that are not text in the code page are dumped as\n"
    "{\"base64\": \"...\"} and packed back as they are. A text cannot hold a zero\n"
    "byte: the table ends a text at its first, so dump warns of a stored text cut\n"
    "there, and pack refuses one.\n"
    "\n"
    "Exit status: 0 on success, 1 when the work failed, 2 for a usage error.\n";

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
  const std::string tableName = tablePath == "-" ? "standard input" : tablePath;
  if (!packing::PackageFromJson(table, codec, package, error))
    return report.Fail(tableName + ": " + error);
  if (!Report(tableName, packing::CheckPackage(package))) return kExitFailed;
  const std::string& program = args.Value("program");
  if (packing::IsSignedProgram(program)) report.Warn(program, packing::kSignedEBookWarning);
  if (!packing::PackEBook(args.Value("program"), package, args.Value("output"), error)) {
    return report.Fail(error);
  }
  return kExitOk;
}

int Dump(const ParsedArguments& args, const tool_files::TextCodec& codec) {
  const std::string& path = args.operands[1];
  const std::string field = args.Has("field") ? args.Value("field") : "";
  if (!field.empty() && field != "id" && field != "version") {
    return report.Usage("--field must be id or version");
  }
  packing::EBookPackage package;
  std::vector<std::string> cutTexts;
  std::string error;
  if (!packing::LoadPackage(path, package, error, &cutTexts)) return report.Fail(error);
  for (const std::string& name : cutTexts) {
    report.Warn(path,
                name + " is stored with a zero byte inside; only the text before it is dumped");
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
  const std::string name = path == "-" ? "standard input" : path;
  packing::EBookPackage package;
  if (first != std::string::npos && bytes[first] == '{') {
    if (!packing::PackageFromJson(bytes, codec, package, error))
      return report.Fail(name + ": " + error);
  } else {
    if (packing::IsSignedProgram(path)) report.Warn(name, packing::kSignedEBookWarning);
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
      return report.Usage("--copies takes its values from its file only");
    }
    if (!args.Has("output")) return report.Usage("--copies needs --output FOLDER");
    std::string lines;
    const std::string& linesPath = args.Value("copies");
    if (!tool_files::ReadWholeFile(linesPath, lines, error)) return report.Fail(error);
    if (!packing::MakeCustomizedCopies(path, lines, args.Value("output"), codec, force, error)) {
      return report.Fail(error.rfind("line ", 0) == 0 ? linesPath + ": " + error : error);
    }
    return kExitOk;
  }
  if (args.Has("output")) return report.Usage("set writes in place; --output goes with --copies");
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
      return report.Fail((valuesPath == "-" ? "standard input" : valuesPath) + ": " + error);
    }
  }
  if (values.empty()) return report.Usage("set needs IDENT=VALUE, --values or --copies");
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
    std::cout << "mkebook " REBRANDER_VERSION "\n";
    return kExitOk;
  }
  const Command pack = {{"program", "table", "output"}, {"program", "table", "output"}, 1};
  const Command dump = {{"field", "output"}, {}, 2};
  const Command check = {{}, {}, 2};
  const Command set = {{"values", "copies", "output", "force"}, {}, 2};
  if (args.operands.empty()) return report.Usage("no command given");
  const std::string& name = args.operands[0];
  if (name != "pack" && name != "dump" && name != "check" && name != "set") {
    return report.Usage("unknown command " + name);
  }
  const Command& command = name == "pack"   ? pack
                           : name == "dump" ? dump
                           : name == "set"  ? set
                                            : check;
  for (const auto& [option, value] : args.options) {
    if (option != "encoding" && !command.options.count(option)) {
      return report.Usage(name + " takes no --" + option);
    }
  }
  for (const std::string& option : command.required) {
    if (!args.Has(option)) return report.Usage(name + " needs --" + option);
  }
  if (args.operands.size() < command.operands) return report.Usage(name + " needs a file's path");
  if (args.operands.size() > command.operands && name != "set") {
    return report.Usage("unexpected operand " + args.operands[command.operands]);
  }
  const auto codec = tool_files::OpenCodec(args);
  if (!codec) return report.Usage("unknown encoding " + args.Value("encoding"));
  if (name == "check") return Check(args, *codec);
  if (name == "set") return Set(args, *codec);
  return name == "pack" ? Pack(args, *codec) : Dump(args, *codec);
}
