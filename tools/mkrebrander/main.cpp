// mkrebrander: stamps a copy of the bare rebrander program for one E-Book,
// shows a rebrander's stamp, and makes a ready bundle of E-Book and rebrander.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "formats/ebook_trailer.h"
#include "formats/rebrand_info.h"
#include "platform/path.h"
#include "tools/common/bare_rebrander.h"
#include "tools/common/options.h"
#include "tools/common/tool_files.h"
#include "tools/common/tool_main.h"
#include "tools/common/tool_paths.h"
#include "tools/mkebook/package_checks.h"
#include "tools/mkrebrander/bare_check.h"
#include "tools/mkrebrander/bundle.h"
#include "tools/mkrebrander/stamp.h"
#include "tools/mkrebrander/stamp_fields.h"

namespace {

using stamping::Stamp;
using tool_files::kExitFailed;
using tool_files::kExitOk;
using tool_files::kExitUsage;
using tool_files::ParsedArguments;
using tool_files::TextCodec;

// What the main window says when the author gave no status texts: what to do next.
constexpr char kDefaultStatusBefore[] =
    "Click Customize to put your own texts into this E-Book, then View E-Book to see them.";
constexpr char kDefaultStatusAfter[] =
    "This E-Book has been customized. Click View E-Book to open it.";

constexpr char kUsage[] =
    "usage: mkrebrander -o OUT [--for-ebook EBOOK] [-s STAMP.json]\n"
    "                   [--ebook-file NAME --ebook-id ID --ebook-version N] [--title TEXT]\n"
    "                   [--status-before TEXT] [--status-after TEXT] [--text3 TEXT]\n"
    "                   [--allow-repeat 0|1] [-p BARE] [-e NAME]\n"
    "       mkrebrander bundle --ebook EBOOK -o FOLDER [--windows] [--force] [-s STAMP.json]\n"
    "                   [--title TEXT] [--status-before TEXT] [--status-after TEXT]\n"
    "                   [--text3 TEXT] [--allow-repeat 0|1] [-p BARE] [-e NAME]\n"
    "       mkrebrander dump REBRANDER [-e NAME] [-o FILE]\n"
    "       mkrebrander --help | --version\n"
    "\n"
    "The first form writes OUT: the bare rebrander with a stamp that ties it to one\n"
    "E-Book and carries the texts it shows. --for-ebook takes the E-Book's file name,\n"
    "identity and version from the packed E-Book itself, so the rebrander passes that\n"
    "E-Book's checks; otherwise give all three. --title is required. The E-Book must\n"
    "lie beside the rebrander under NAME. --allow-repeat 1 lets a customized E-Book be\n"
    "customized again. Stamping a stamped rebrander replaces its stamp.\n"
    "\n"
    "bundle makes FOLDER, holding a copy of EBOOK and a rebrander stamped for it, and\n"
    "an archive of it beside it: FOLDER.tar.gz, or with --windows (the Windows\n"
    "rebrander.exe) FOLDER.zip. Neither may exist yet. An E-Book already marked\n"
    "customized is refused unless --force is given.\n"
    "\n"
    "The E-Book is checked first, as `mkebook check` checks it, and BARE must be\n"
    "the bare rebrander: it carries a mark that no other program does.\n"
    "\n"
    "dump prints a rebrander's stamp as JSON, the form --stamp reads:\n"
    "  {\"ebook-file\": \"mybook\", \"ebook-id\": \"My Book 1.0\", \"ebook-version\": 3,\n"
    "   \"title\": \"My Book\", \"status-before\": \"...\", \"status-after\": \"...\",\n"
    "   \"text3\": \"\", \"allow-repeat\": 0}\n"
    "Every field of the file is optional; options given on the command line win over\n"
    "it, and --for-ebook over both.\n"
    "\n"
    "Options:\n"
    "  -o, --output PATH     the rebrander, the bundle's folder, or the dump's file\n"
    "                        (- or left out for dump: standard output)\n"
    "  -s, --stamp FILE      the stamp's fields as JSON; - reads standard input\n"
    "  -p, --program BARE    the bare rebrander to stamp\n"
    "  -e, --encoding NAME   the code page of the texts (see mkebook --help)\n"
    "  -h, --help            show this help and exit\n"
    "  -V, --version         show the version of mkrebrander and exit\n"
    "Options and operands come in any order; -- ends the options.\n"
    "\n"
    "Texts are 8-bit, in UTF-8 unless --encoding names another code page\n"
    "(windows-1252 for most Windows E-Books): texts on the command line and in the\n"
    "JSON are converted into it, and a character it cannot hold is refused. In the\n"
    "JSON, bytes that are not text in the code page are {\"base64\": \"...\"}. Without\n"
    "--encoding, command-line texts are taken byte for byte.\n"
    "\n"
    "BARE defaults to the bare rebrander installed with this tool (rebrander, or\n"
    "rebrander.exe with --windows).\n"
    "\n"
    "Exit status: 0 on success, 1 when the work failed, 2 for a usage error.\n";

const tool_files::ToolReport report("mkrebrander");

// The stamp from --stamp, the command line and the E-Book, in rising order of
// precedence; empty `ebook` when the stamp is not for a given E-Book. Returns
// the exit status of a failure, or kExitOk.
int GatherStamp(const ParsedArguments& args, const std::string& ebook, const TextCodec& codec,
                Stamp& stamp, packing::EBookPackage& package) {
  std::set<std::string> given;
  std::string error;
  if (args.Has("stamp")) {
    const std::string& path = args.Value("stamp");
    std::string json;
    if (!tool_files::ReadWholeFile(path, json, error)) return report.Fail(error);
    if (!stamping::StampFromJson(json, codec, stamp, given, error)) {
      return report.Fail((path == "-" ? "standard input" : path) + ": " + error);
    }
  }
  const bool raw = !args.Has("encoding");
  for (const std::string& key : stamping::StampKeys()) {
    if (!args.Has(key)) continue;
    if (!SetStampField(key, args.Value(key), codec, raw, stamp, error)) return report.Usage(error);
    given.insert(key);
  }
  if (!ebook.empty()) {
    if (!stamping::StampForEBook(ebook, codec, raw, stamp, given, package, error)) {
      return report.Fail(error);
    }
    // The E-Book is checked as mkebook checks it: its rebrander would ship it.
    const packing::PackageFindings found = packing::CheckPackage(package);
    for (const std::string& warning : found.warnings) report.Warn(ebook, warning);
    if (!found.refusals.empty()) return report.Fail(ebook + ": " + found.refusals.front());
  }
  for (const auto& [key, text] : {std::pair{"status-before", kDefaultStatusBefore},
                                  std::pair{"status-after", kDefaultStatusAfter}}) {
    if (!given.count(key)) SetStampField(key, text, codec, raw, stamp, error);
  }
  for (const char* required : {"ebook-file", "ebook-id", "ebook-version", "title"}) {
    if (!given.count(required)) return report.Usage(std::string("missing --") + required);
  }
  const std::string asGiven = args.Has("ebook-file") ? args.Value("ebook-file") : "";
  if (!stamping::EBookFileProblem(stamp.info.m_strEBookFile, asGiven).empty()) {
    return report.Usage("--ebook-file " +
                        stamping::EBookFileProblem(stamp.info.m_strEBookFile, asGiven));
  }
  if (const std::string problem = stamping::EBookIdProblem(stamp.info.m_strEBookId);
      !problem.empty()) {
    return report.Usage("--ebook-id " + problem);
  }
  if (stamp.info.m_bAllowRepeat != 0 && stamp.info.m_bAllowRepeat != 1) {
    return report.Usage("--allow-repeat must be 0 or 1");
  }
  return kExitOk;
}

bool BareProgram(const ParsedArguments& args, bool windows, std::string& program,
                 std::string& error) {
  if (args.Has("program")) {
    program = args.Value("program");
    return stamping::IsBareRebrander(program, error);
  }
  const char* name = windows ? tool_files::kWindowsRebrander : tool_files::kLinuxRebrander;
  program = tool_files::FindBareRebrander(name);
  if (program.empty()) error = std::string("no bare ") + name + " installed; give --program";
  return !program.empty() && stamping::IsBareRebrander(program, error);
}

// Any byte outside ASCII in the texts a Windows bundle shows.
bool HoldsNonAscii(const Stamp& stamp, const packing::EBookPackage& package) {
  std::string texts = stamp.info.m_strTitle + stamp.info.m_strStatusBefore +
                      stamp.info.m_strStatusAfter + stamp.info.m_strText3;
  for (int i = 0; i < package.table.GetSize(); ++i) {
    texts += package.table[i].m_strPrompt + package.table[i].m_strValue;
  }
  return std::any_of(texts.begin(), texts.end(), [](char c) { return c & 0x80; });
}

int StampCommand(const ParsedArguments& args, const TextCodec& codec) {
  const std::string ebook = args.Has("for-ebook") ? args.Value("for-ebook") : "";
  for (const char* taken : {"ebook-file", "ebook-id", "ebook-version"}) {
    if (!ebook.empty() && args.Has(taken)) {
      return report.Usage(std::string("--for-ebook takes --") + taken +
                          " from the E-Book; leave it out");
    }
  }
  Stamp stamp;
  packing::EBookPackage package;
  std::string program, error, warning;
  if (const int status = GatherStamp(args, ebook, codec, stamp, package); status != kExitOk) {
    return status;
  }
  if (!BareProgram(args, false, program, error) ||
      !stamping::StampRebrander(program, args.Value("output"), stamp.info, stamp.version, error,
                                &warning)) {
    return report.Fail(error);
  }
  if (!warning.empty()) report.Warn("", warning);
  return kExitOk;
}

int BundleCommand(const ParsedArguments& args, const TextCodec& codec) {
  const bool windows = args.Has("windows");
  Stamp stamp;
  std::string program, error;
  const std::string& ebook = args.Value("ebook");
  packing::EBookPackage package;
  if (const int status = GatherStamp(args, ebook, codec, stamp, package); status != kExitOk) {
    return status;
  }
  if (package.table.m_bRebranded == 1 && !args.Has("force")) {
    return report.Fail(ebook +
                       ": is already marked customized, and its buyers could not customize it; " +
                       "bundle the E-Book before customizing it, or give --force");
  }
  if (windows && !args.Has("encoding") && HoldsNonAscii(stamp, package)) {
    report.Warn(ebook,
                "texts beyond ASCII without --encoding are shown as UTF-8 bytes "
                "on Windows; name the E-Book's code page, such as --encoding windows-1252");
  }
  if (!BareProgram(args, windows, program, error) ||
      !stamping::MakeBundle(ebook, program, stamp, args.Value("output"), windows, error)) {
    return report.Fail(error);
  }
  return kExitOk;
}

int DumpCommand(const ParsedArguments& args, const TextCodec& codec) {
  const std::string& path = args.operands[1];
  const formats::CRebrandInfo info(platform::PathFromUtf8(path));
  if (info.HasError()) {
    std::error_code failed;
    return report.Fail(std::filesystem::is_regular_file(tool_files::FsPath(path), failed)
                           ? path + ": carries no stamp"
                           : path + ": cannot be read");
  }
  const Stamp stamp{info.Info(), info.Trailer().m_nVersion};
  std::string error;
  const std::string output = args.Has("output") ? args.Value("output") : "-";
  return tool_files::WriteWholeFile(output, stamping::StampToJson(stamp, codec), error)
             ? kExitOk
             : report.Fail(error);
}

std::vector<tool_files::OptionRule> Rules() {
  std::vector<tool_files::OptionRule> rules = {
      {"output", 'o'},         {"stamp", 's'},     {"program", 'p'},      {"encoding", 'e'},
      {"for-ebook", 0},        {"ebook", 0},       {"windows", 0, false}, {"help", 'h', false},
      {"version", 'V', false}, {"force", 0, false}};
  for (const std::string& key : stamping::StampKeys()) rules.push_back({key, 0});
  return rules;
}

// The options each command takes.
std::set<std::string> Allowed(const std::string& command) {
  if (command == "dump") return {"output", "encoding"};
  std::set<std::string> allowed = {"output", "stamp", "program", "encoding"};
  for (const std::string& key : stamping::StampKeys()) allowed.insert(key);
  if (command == "bundle") {
    allowed.insert({"ebook", "windows", "force"});
    for (const char* taken : {"ebook-file", "ebook-id", "ebook-version"}) allowed.erase(taken);
  } else {
    allowed.insert("for-ebook");
  }
  return allowed;
}

}  // namespace

int main(int argc, char** argv) {
  ParsedArguments args;
  std::string error;
  if (!tool_files::ParseArguments(tool_files::ToolArguments(argc, argv), Rules(), args, error)) {
    return report.Usage(error);
  }
  if (args.Has("help")) {
    std::cout << kUsage << "\nWithout --status-before and --status-after, the main window says\n"
              << "before customizing: " << kDefaultStatusBefore << "\n"
              << "after customizing: " << kDefaultStatusAfter << "\n";
    return kExitOk;
  }
  if (args.Has("version")) {
    std::cout << "mkrebrander " REBRANDER_VERSION "\n";
    return kExitOk;
  }
  if (args.options.empty() && args.operands.empty()) return report.Usage("no arguments given");
  const std::string command = args.operands.empty() ? "" : args.operands[0];
  if (!command.empty() && command != "bundle" && command != "dump") {
    return report.Usage("unknown command " + command);
  }
  const std::set<std::string> allowed = Allowed(command);
  for (const auto& [option, value] : args.options) {
    if (!allowed.count(option)) {
      return report.Usage((command.empty() ? "stamping" : command) + " takes no --" + option);
    }
  }
  const size_t operands = command == "dump" ? 2 : command.empty() ? 0 : 1;
  if (command == "dump" && args.operands.size() < 2)
    return report.Usage("dump needs the rebrander's path");
  if (args.operands.size() > operands)
    return report.Usage("unexpected operand " + args.operands[operands]);
  for (const char* required : {"output", "ebook"}) {
    if (command != "dump" && (command == "bundle" || required == std::string("output")) &&
        !args.Has(required)) {
      return report.Usage(std::string("missing --") + required);
    }
  }
  const auto codec = tool_files::OpenCodec(args);
  if (!codec) return report.Usage("unknown encoding " + args.Value("encoding"));
  if (command == "dump") return DumpCommand(args, *codec);
  if (command == "bundle") return BundleCommand(args, *codec);
  return StampCommand(args, *codec);
}
