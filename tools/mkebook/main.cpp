// mkebook: packs a program and a JSON table description into an E-Book, and
// dumps an existing E-Book's trailer and table as the same JSON.
#include <QFile>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>

#include "tools/mkebook/package_json.h"

namespace {

constexpr char kUsage[] =
    "usage: mkebook pack --program PROG --table TABLE.json --output OUT\n"
    "       mkebook dump EBOOK [--field id|version]\n"
    "\n"
    "pack writes OUT: PROG with the variable table and the 104-byte trailer appended\n"
    "(an E-Book given as PROG has its old table replaced). dump prints an E-Book's\n"
    "trailer and table as the JSON that pack reads, or one field of it.\n";

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

int Pack(int argc, char** argv) {
  std::map<std::string, std::string> options;
  std::string error;
  if (!ParseOptions(2, argc, argv, {{"--program", true}, {"--table", true}, {"--output", true}},
                    options, error)) {
    return Fail(error);
  }
  const std::string tablePath = options["--table"];
  QFile table(QString::fromLocal8Bit(QByteArray::fromStdString(tablePath)));
  if (!table.open(QIODevice::ReadOnly)) {
    return Fail("cannot read " + tablePath + ": " + table.errorString().toStdString());
  }
  packing::EBookPackage package;
  if (!packing::PackageFromJson(table.readAll(), package, error)) {
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
  if (!ParseOptions(3, argc, argv, {{"--field", false}}, options, error)) return Fail(error);
  packing::EBookPackage package;
  if (!packing::LoadPackage(argv[2], package, error)) return Fail(error);

  std::string text;
  if (!options.count("--field")) {
    text = packing::PackageToJson(package).toStdString();
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
  if (command == "--help" || command == "-h") {
    std::cout << kUsage;
    return 0;
  }
  if (command == "pack") return Pack(argc, argv);
  if (command == "dump") return Dump(argc, argv);
  return Fail(command.empty() ? "no command given (see --help)"
                              : "unknown command " + command + " (see --help)");
}
