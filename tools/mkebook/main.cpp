// mkebook: packs a program and a JSON table description into an E-Book, and
// dumps an existing E-Book's trailer and table as the same JSON.
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/common/text_codec.h"
#include "tools/common/tool_files.h"
#include "tools/mkebook/package_json.h"

namespace {

constexpr char kUsage[] =
    "usage: mkebook pack --program PROG --table TABLE.json --output OUT [--encoding NAME]\n"
    "       mkebook dump EBOOK [--encoding NAME] [--field id|version]\n"
    "\n"
    "pack writes OUT: PROG with the variable table and the 104-byte trailer appended\n"
    "(an E-Book given as PROG has its old table replaced). OUT appears only when it\n"
    "is complete and keeps PROG's permissions.\n"
    "dump prints an E-Book's trailer and table as the JSON that pack reads, or one\n"
    "field of it (the identity's raw bytes, or the version). Packing a dump with the\n"
    "E-Book as PROG gives back the same file, byte for byte.\n"
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
    "names another that iconv knows (such as windows-1252 for a Windows E-Book).\n"
    "pack converts the JSON's text into it and refuses a character that it cannot\n"
    "hold; dump converts back. Bytes that are not text in the code page are dumped\n"
    "as {\"base64\": \"...\"} and packed back as they are. A text cannot hold a zero\n"
    "byte: the table ends a text at its first, so dump warns of a stored text cut\n"
    "there, and pack refuses one.\n";

int Fail(const std::string& problem) {
  std::cerr << "mkebook: " << problem << '\n';
  return 2;
}

// Reads "--name value" pairs; every name must be known and given once.
bool ParseOptions(int first, int argc, char** argv, const std::map<std::string, bool>& known,
                  std::map<std::string, std::string>& options, std::string& error) {
  for (int i = first; i < argc; ++i) {
    const std::string name = argv[i];
    if (!known.count(name)) {
      error = "unknown argument " + name + " (see --help)";
      return false;
    }
    if (i + 1 >= argc) {
      error = name + " needs a value";
      return false;
    }
    if (options.count(name)) {
      error = name + " given twice";
      return false;
    }
    options[name] = argv[++i];
  }
  for (const auto& [name, required] : known) {
    if (required && !options.count(name)) {
      error = "missing " + name + " (see --help)";
      return false;
    }
  }
  return true;
}

std::optional<tool_files::TextCodec> OpenCodec(std::map<std::string, std::string>& options) {
  const std::string name =
      options.count("--encoding") ? options["--encoding"] : tool_files::TextCodec::kUtf8;
  return tool_files::TextCodec::Open(name);
}

int Pack(int argc, char** argv) {
  std::map<std::string, std::string> options;
  std::string error;
  if (!ParseOptions(
          2, argc, argv,
          {{"--program", true}, {"--table", true}, {"--output", true}, {"--encoding", false}},
          options, error)) {
    return Fail(error);
  }
  const auto codec = OpenCodec(options);
  if (!codec) return Fail("unknown encoding " + options["--encoding"]);
  const std::string tablePath = options["--table"];
  std::string table;
  if (!tool_files::ReadWholeFile(tablePath, table, error)) return Fail(error);
  packing::EBookPackage package;
  if (!packing::PackageFromJson(table, *codec, package, error)) {
    return Fail(tablePath + ": " + error);
  }
  if (!packing::PackEBook(options["--program"], package, options["--output"], error)) {
    return Fail(error);
  }
  return 0;
}

int Dump(int argc, char** argv) {
  if (argc < 3) return Fail("dump needs the E-Book's path (see --help)");
  std::map<std::string, std::string> options;
  std::string error;
  if (!ParseOptions(3, argc, argv, {{"--field", false}, {"--encoding", false}}, options, error)) {
    return Fail(error);
  }
  const auto codec = OpenCodec(options);
  if (!codec) return Fail("unknown encoding " + options["--encoding"]);
  packing::EBookPackage package;
  std::vector<std::string> cutTexts;
  if (!packing::LoadPackage(argv[2], package, error, &cutTexts)) return Fail(error);
  for (const std::string& name : cutTexts) {
    std::cerr << "mkebook: warning: " << name
              << " is stored with a zero byte inside; only the text before it is dumped\n";
  }

  std::string text;
  if (!options.count("--field")) {
    text = packing::PackageToJson(package, *codec);
  } else if (options["--field"] == "id") {
    text = package.trailer.GetId() + '\n';
  } else if (options["--field"] == "version") {
    text = std::to_string(package.trailer.m_nVersion) + '\n';
  } else {
    return Fail("--field must be id or version");
  }
  std::cout << text << std::flush;
  return std::cout ? 0 : Fail("cannot write the output");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
      std::cout << kUsage;
      return 0;
    }
  }
  if (command == "pack") return Pack(argc, argv);
  if (command == "dump") return Dump(argc, argv);
  return Fail(command.empty() ? "no command given (see --help)"
                              : "unknown command " + command + " (see --help)");
}
