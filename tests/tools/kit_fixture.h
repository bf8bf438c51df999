// The kit's tools run as separate processes, the way users and the demo script
// run them, in a folder of their own: a program to pack, the bare rebrander,
// an E-Book packed from the program, a table and a stamp that are valid.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tools/mkebook/ebook_package.h"

namespace kit_testing {

using namespace testing_support;
using Args = std::vector<std::string>;
namespace fs = std::filesystem;

constexpr fs::perms kPerms{0757};  // what a umask would change

// A table of one editable variable "a" of the type of a one-line text.
constexpr char kGoodTable[] =
    R"({"id": "g", "version": 1, "rebranded": 0, "variables": [{"ident": "a", "prompt": "p", )"
    R"("value": "v", "editable": 1, "type": 0}]})";

// A run of a tool and what it must give. Written one a line, columns split by
// " | ": name | exit status | command line (split at spaces) | what
// <case.json> holds (- for nothing) | the whole of standard error.
struct ToolCase {
  std::string name;
  int status;
  Args args;
  std::string json, err;
};
inline void PrintTo(const ToolCase& c, std::ostream* out) {
  *out << c.name;
}
inline std::vector<ToolCase> ToolCases(const char* table) {
  std::vector<ToolCase> cases;
  std::istringstream lines(table);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty()) continue;
    std::vector<std::string> columns;
    for (size_t at = 0, bar; at != std::string::npos; at = bar == line.npos ? bar : bar + 3) {
      bar = line.find(" | ", at);
      columns.push_back(line.substr(at, bar == line.npos ? bar : bar - at));
    }
    ToolCase& c = cases.emplace_back();
    c.name = columns.at(0);
    c.status = std::stoi(columns.at(1));
    std::istringstream words(columns.at(2));
    for (std::string word; words >> word;) c.args.push_back(word);
    c.json = columns.at(3) == "-" ? "" : columns.at(3);
    c.err = columns.at(4);
  }
  return cases;
}

inline formats::CVariable Variable(const std::string& ident, const std::string& value,
                                   int32_t editable) {
  formats::CVariable variable;
  variable.m_strIdent = ident;
  variable.m_strValue = value;
  variable.m_bEditable = editable;
  return variable;
}

class KitTest : public ::testing::Test {
 protected:
  TempDir dir;
  const std::string program = dir.File("program"), ebook = dir.File("my book.exe");
  const std::string bare = dir.File("bare"), good = dir.File("good.json");
  const std::string stamp = dir.File("stamp.json");

  // The E-Book's identity is not UTF-8 and holds bytes after its first zero.
  void SetUp() override {
    WriteFileBytes(program, ReadFileBytes("/bin/true"));
    WriteFileBytes(bare, ReadFileBytes(BUILD_DIR "/ui/rebrander"));
    for (const std::string& made : {program, bare}) fs::permissions(made, kPerms);
    packing::EBookPackage package;
    package.trailer.m_nVersion = 7;
    package.table.Add(Variable("a", "", 1));
    package.trailer.SetId(std::string("Caf\xE9 1.0\0tail", 14));
    Pack(package, ebook);
    WriteFileBytes(good, kGoodTable);
    WriteFileBytes(stamp,
                   R"({"ebook-file":"book", "ebook-id":"B", "ebook-version":-5, "title":"T"})");
  }
  void Pack(const packing::EBookPackage& package, const std::string& output) {
    std::string error;
    ASSERT_TRUE(packing::PackEBook(program, package, output, error)) << error;
  }
  // Runs in the folder. "<name>" becomes the path of that file of the folder ("<ebook>" the
  // E-Book's); a first argument "mkebook", "mkrebrander" or "make-demo-folder.sh" the kit's own.
  std::string Expand(std::string text) const {
    for (size_t at = 0, end; (at = text.find('<', at)) != std::string::npos;) {
      if ((end = text.find('>', at)) == std::string::npos) break;
      const std::string name = text.substr(at + 1, end - at - 1);
      text.replace(at, end - at + 1, name == "ebook" ? ebook : dir.File(name));
    }
    return text;
  }
  ProgramRun Run(Args args) const {
    for (std::string& arg : args) arg = Expand(arg);
    if (args[0] == "mkebook") args[0] = MKEBOOK;
    if (args[0] == "mkrebrander") args[0] = MKREBRANDER;
    if (args[0] == "make-demo-folder.sh") args = {"/bin/bash", DEMO_SCRIPT, args[1], args[2]};
    return RunProgram(args, dir.Path());
  }
};

}  // namespace kit_testing
