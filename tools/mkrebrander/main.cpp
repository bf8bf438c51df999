// mkrebrander: stamps a copy of the bare rebrander program for one E-Book.
#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>

#include "tools/mkrebrander/stamp.h"

namespace {

constexpr char kUsage[] =
    "usage: mkrebrander --program BARE --output OUT --ebook-file NAME --ebook-id ID\n"
    "                   --version N --title TEXT [--status-before TEXT] [--status-after TEXT]\n"
    "                   [--text3 TEXT] [--allow-repeat 0|1]\n";

int Fail(const std::string& problem) {
  std::cerr << "mkrebrander: " << problem << '\n';
  return 2;
}

bool ParseInt32(const std::string& text, int32_t& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX) return false;
  value = static_cast<int32_t>(parsed);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::map<std::string, bool> known = {{"--program", true},        {"--output", true},
                                             {"--ebook-file", true},     {"--ebook-id", true},
                                             {"--version", true},        {"--title", true},
                                             {"--status-before", false}, {"--status-after", false},
                                             {"--text3", false},         {"--allow-repeat", false}};
  std::map<std::string, std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--help" || name == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (!known.count(name)) return Fail("unknown option " + name + " (see --help)");
    if (i + 1 >= argc) return Fail(name + " needs a value");
    if (args.count(name)) return Fail(name + " given twice");
    args[name] = argv[++i];
  }
  for (const auto& [name, required] : known) {
    if (required && !args.count(name)) return Fail("missing " + name + " (see --help)");
  }

  formats::CInfoBlock info;
  info.m_strEBookFile = args["--ebook-file"];
  info.m_strEBookId = args["--ebook-id"];
  info.m_strText3 = args["--text3"];
  info.m_strTitle = args["--title"];
  info.m_strStatusBefore = args["--status-before"];
  info.m_strStatusAfter = args["--status-after"];
  if (info.m_strEBookFile.empty() || info.m_strEBookFile.find('/') != std::string::npos) {
    return Fail("--ebook-file must be a file name without a folder");
  }
  int32_t version = 0;
  if (!ParseInt32(args["--version"], version)) return Fail("--version must be a 32-bit integer");
  const std::string repeat = args.count("--allow-repeat") ? args["--allow-repeat"] : "0";
  if (repeat != "0" && repeat != "1") return Fail("--allow-repeat must be 0 or 1");
  info.m_bAllowRepeat = repeat == "1";

  std::string error;
  if (!stamping::StampRebrander(args["--program"], args["--output"], info, version, error)) {
    return Fail(error);
  }
  return 0;
}
