// mkrebrander: stamps a copy of the bare rebrander program for one E-Book,
// shows a rebrander's stamp, and makes a ready bundle of E-Book and rebrander.
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "formats/rebrand_info.h"
#include "tools/common/bare_rebrander.h"
#include "tools/common/tool_files.h"
#include "tools/mkrebrander/bundle.h"
#include "tools/mkrebrander/stamp.h"
#include "tools/mkrebrander/stamp_fields.h"

namespace {

using stamping::Stamp;
using tool_files::TextCodec;

constexpr char kUsage[] =
    "usage: mkrebrander --output OUT [--for-ebook EBOOK] [--stamp STAMP.json]\n"
    "                   [--ebook-file NAME --ebook-id ID --version N] [--title TEXT]\n"
    "                   [--status-before TEXT] [--status-after TEXT] [--text3 TEXT]\n"
    "                   [--allow-repeat 0|1] [--program BARE] [--encoding NAME]\n"
    "       mkrebrander bundle --ebook EBOOK --output FOLDER [--windows] [--stamp STAMP.json]\n"
    "                   [--title TEXT] [--status-before TEXT] [--status-after TEXT]\n"
    "                   [--text3 TEXT] [--allow-repeat 0|1] [--program BARE] [--encoding NAME]\n"
    "       mkrebrander dump REBRANDER [--encoding NAME]\n"
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
    "rebrander.exe) FOLDER.zip. Neither may exist yet.\n"
    "\n"
    "dump prints a rebrander's stamp as JSON, the form --stamp reads:\n"
    "  {\"ebook-file\": \"mybook\", \"ebook-id\": \"My Book 1.0\", \"version\": 3,\n"
    "   \"title\": \"My Book\", \"status-before\": \"...\", \"status-after\": \"...\",\n"
    "   \"text3\": \"\", \"allow-repeat\": 0}\n"
    "Every field of the file is optional; options given on the command line win over\n"
    "it, and --for-ebook over both.\n"
    "\n"
    "Texts are 8-bit, in UTF-8 unless --encoding names another code page that iconv\n"
    "knows (windows-1252 for a Windows E-Book): texts on the command line and in the\n"
    "JSON are converted into it, and a character it cannot hold is refused. In the\n"
    "JSON, bytes that are not text in the code page are {\"base64\": \"...\"}. Without\n"
    "--encoding, command-line texts are taken byte for byte.\n"
    "\n"
    "BARE defaults to the bare rebrander installed with this tool (rebrander, or\n"
    "rebrander.exe with --windows).\n";

int Fail(const std::string& problem) {
  std::cerr << "mkrebrander: " << problem << '\n';
  return 2;
}

// "--name value" pairs and the flags in `flags`; every name must be known and
// given once.
bool ParseOptions(int first, int argc, char** argv, const std::set<std::string>& known,
                  const std::set<std::string>& flags, std::map<std::string, std::string>& options,
                  std::string& error) {
  for (int i = first; i < argc; ++i) {
    const std::string name = argv[i];
    if (!known.count(name) && !flags.count(name)) {
      error = "unknown argument " + name + " (see --help)";
      return false;
    }
    if (options.count(name)) {
      error = name + " given twice";
      return false;
    }
    if (flags.count(name)) {
      options[name] = "1";
      continue;
    }
    if (i + 1 >= argc) {
      error = name + " needs a value";
      return false;
    }
    options[name] = argv[++i];
  }
  return true;
}

std::optional<TextCodec> OpenCodec(std::map<std::string, std::string>& options) {
  return TextCodec::Open(options.count("--encoding") ? options["--encoding"] : TextCodec::kUtf8);
}

// The stamp from --stamp, the command line and the E-Book, in rising order of
// precedence; empty `ebook` when the stamp is not for a given E-Book.
bool GatherStamp(std::map<std::string, std::string>& options, const std::string& ebook,
                 const TextCodec& codec, Stamp& stamp, std::string& error) {
  std::set<std::string> given;
  if (options.count("--stamp")) {
    std::string json;
    if (!tool_files::ReadWholeFile(options["--stamp"], json, error)) return false;
    if (!stamping::StampFromJson(json, codec, stamp, given, error)) {
      error = options["--stamp"] + ": " + error;
      return false;
    }
  }
  const bool raw = !options.count("--encoding");
  for (const std::string& key : stamping::StampKeys()) {
    const auto option = options.find("--" + key);
    if (option == options.end()) continue;
    if (!SetStampField(key, option->second, codec, raw, stamp, error)) return false;
    given.insert(key);
  }
  if (!ebook.empty() && !stamping::StampForEBook(ebook, stamp, given, error)) return false;
  for (const char* required : {"ebook-file", "ebook-id", "version", "title"}) {
    if (!given.count(required)) {
      error = std::string("missing --") + required + " (see --help)";
      return false;
    }
  }
  const std::string& file = stamp.info.m_strEBookFile;
  if (file.empty() || file.find('/') != std::string::npos) {
    error = "--ebook-file must be a file name without a folder";
    return false;
  }
  if (stamp.info.m_bAllowRepeat != 0 && stamp.info.m_bAllowRepeat != 1) {
    error = "--allow-repeat must be 0 or 1";
    return false;
  }
  return true;
}

bool BareProgram(std::map<std::string, std::string>& options, bool windows, std::string& program,
                 std::string& error) {
  if (options.count("--program")) {
    program = options["--program"];
    return true;
  }
  const char* name = windows ? tool_files::kWindowsRebrander : tool_files::kLinuxRebrander;
  program = tool_files::FindBareRebrander(name);
  if (program.empty()) error = std::string("no bare ") + name + " installed; give --program";
  return !program.empty();
}

std::set<std::string> StampOptions(bool withIdentity) {
  std::set<std::string> options = {"--program", "--output", "--stamp", "--encoding"};
  for (const std::string& key : stamping::StampKeys()) {
    if (withIdentity || (key != "ebook-file" && key != "ebook-id" && key != "version")) {
      options.insert("--" + key);
    }
  }
  return options;
}

int StampCommand(int argc, char** argv) {
  std::set<std::string> known = StampOptions(true);
  known.insert("--for-ebook");
  std::map<std::string, std::string> options;
  std::string error;
  if (!ParseOptions(1, argc, argv, known, {}, options, error)) return Fail(error);
  if (!options.count("--output")) return Fail("missing --output (see --help)");
  const std::string ebook = options.count("--for-ebook") ? options["--for-ebook"] : "";
  for (const char* taken : {"--ebook-file", "--ebook-id", "--version"}) {
    if (!ebook.empty() && options.count(taken)) {
      return Fail(std::string("--for-ebook takes ") + taken + " from the E-Book; leave it out");
    }
  }
  const auto codec = OpenCodec(options);
  if (!codec) return Fail("unknown encoding " + options["--encoding"]);
  Stamp stamp;
  std::string program;
  if (!GatherStamp(options, ebook, *codec, stamp, error) ||
      !BareProgram(options, false, program, error) ||
      !stamping::StampRebrander(program, options["--output"], stamp.info, stamp.version, error)) {
    return Fail(error);
  }
  return 0;
}

int BundleCommand(int argc, char** argv) {
  std::set<std::string> known = StampOptions(false);
  known.insert("--ebook");
  std::map<std::string, std::string> options;
  std::string error;
  if (!ParseOptions(2, argc, argv, known, {"--windows"}, options, error)) return Fail(error);
  for (const char* required : {"--ebook", "--output"}) {
    if (!options.count(required)) return Fail(std::string("missing ") + required + " (see --help)");
  }
  const auto codec = OpenCodec(options);
  if (!codec) return Fail("unknown encoding " + options["--encoding"]);
  const bool windows = options.count("--windows");
  Stamp stamp;
  std::string program;
  if (!GatherStamp(options, options["--ebook"], *codec, stamp, error) ||
      !BareProgram(options, windows, program, error) ||
      !stamping::MakeBundle(options["--ebook"], program, stamp, options["--output"], windows,
                            error)) {
    return Fail(error);
  }
  return 0;
}

int DumpCommand(int argc, char** argv) {
  if (argc < 3) return Fail("dump needs the rebrander's path (see --help)");
  std::map<std::string, std::string> options;
  std::string error;
  if (!ParseOptions(3, argc, argv, {"--encoding"}, {}, options, error)) return Fail(error);
  const auto codec = OpenCodec(options);
  if (!codec) return Fail("unknown encoding " + options["--encoding"]);
  const std::string path = argv[2];
  const formats::CRebrandInfo info(path);
  if (info.HasError()) {
    return Fail(std::filesystem::exists(path) ? path + " carries no stamp" : "cannot open " + path);
  }
  const Stamp stamp{info.Info(), info.Trailer().m_nVersion};
  std::cout << stamping::StampToJson(stamp, *codec) << std::flush;
  return std::cout ? 0 : Fail("cannot write the output");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
  }
  if (command == "dump") return DumpCommand(argc, argv);
  if (command == "bundle") return BundleCommand(argc, argv);
  if (command.empty()) return Fail("no arguments given (see --help)");
  return StampCommand(argc, argv);
}
