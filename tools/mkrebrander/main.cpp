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
#include "tools/common/kit_messages.h"
#include "tools/common/options.h"
#include "tools/common/tool_files.h"
#include "tools/common/tool_main.h"
#include "tools/common/tool_paths.h"
#include "tools/mkebook/package_checks.h"
#include "tools/mkrebrander/bare_check.h"
#include "tools/mkrebrander/bundle.h"
#include "tools/mkrebrander/mkrebrander_messages.h"
#include "tools/mkrebrander/stamp.h"
#include "tools/mkrebrander/stamp_fields.h"

namespace {

using stamping::Stamp;
using tool_files::kExitFailed;
using tool_files::kExitOk;
using tool_files::kExitUsage;
using tool_files::ParsedArguments;
using tool_files::TextCodec;

using mkrebrander_messages::kDefaultStatusAfter;
using mkrebrander_messages::kDefaultStatusBefore;

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
      return report.Fail((path == "-" ? kit_messages::kStandardInput : path) + ": " + error);
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
    if (!given.count(required)) return report.Usage(kit_messages::MissingOption(required));
  }
  const std::string asGiven = args.Has("ebook-file") ? args.Value("ebook-file") : "";
  if (!stamping::EBookFileProblem(stamp.info.m_strEBookFile, asGiven).empty()) {
    return report.Usage(mkrebrander_messages::OptionProblem(
        "ebook-file", stamping::EBookFileProblem(stamp.info.m_strEBookFile, asGiven)));
  }
  if (const std::string problem = stamping::EBookIdProblem(stamp.info.m_strEBookId);
      !problem.empty()) {
    return report.Usage(mkrebrander_messages::OptionProblem("ebook-id", problem));
  }
  if (stamp.info.m_bAllowRepeat != 0 && stamp.info.m_bAllowRepeat != 1) {
    return report.Usage(mkrebrander_messages::kAllowRepeatFlag);
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
  if (program.empty()) error = mkrebrander_messages::NoBareInstalled(name);
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
      return report.Usage(mkrebrander_messages::ForEBookTakes(taken));
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
    return report.Fail(ebook + ": " + mkrebrander_messages::kBundleCustomized);
  }
  if (windows && !args.Has("encoding") && HoldsNonAscii(stamp, package)) {
    report.Warn(ebook, mkrebrander_messages::kNonAsciiOnWindows);
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
                           ? path + ": " + mkrebrander_messages::kNoStamp
                           : path + ": " + mkrebrander_messages::kCannotBeRead);
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
    std::cout << mkrebrander_messages::Help();
    return kExitOk;
  }
  if (args.Has("version")) {
    std::cout << mkrebrander_messages::kVersionPrefix << REBRANDER_VERSION "\n";
    return kExitOk;
  }
  if (args.options.empty() && args.operands.empty())
    return report.Usage(mkrebrander_messages::kNoArguments);
  const std::string command = args.operands.empty() ? "" : args.operands[0];
  if (!command.empty() && command != "bundle" && command != "dump") {
    return report.Usage(kit_messages::UnknownCommand(command));
  }
  const std::set<std::string> allowed = Allowed(command);
  for (const auto& [option, value] : args.options) {
    if (!allowed.count(option)) {
      return report.Usage(kit_messages::CommandTakesNoOption(
          command.empty() ? mkrebrander_messages::kStampingCommand : command, option));
    }
  }
  const size_t operands = command == "dump" ? 2 : command.empty() ? 0 : 1;
  if (command == "dump" && args.operands.size() < 2)
    return report.Usage(mkrebrander_messages::kDumpNeedsPath);
  if (args.operands.size() > operands)
    return report.Usage(kit_messages::UnexpectedOperand(args.operands[operands]));
  for (const char* required : {"output", "ebook"}) {
    if (command != "dump" && (command == "bundle" || required == std::string("output")) &&
        !args.Has(required)) {
      return report.Usage(kit_messages::MissingOption(required));
    }
  }
  const auto codec = tool_files::OpenCodec(args);
  if (!codec) return report.Usage(kit_messages::UnknownEncoding(args.Value("encoding")));
  if (command == "dump") return DumpCommand(args, *codec);
  if (command == "bundle") return BundleCommand(args, *codec);
  return StampCommand(args, *codec);
}
