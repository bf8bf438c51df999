// The kit's tools run as separate processes, the way users and the demo script
// run them, in a folder of their own: a program to pack, the bare rebrander,
// an E-Book packed from the program, a table and a stamp that are valid.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
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
// <case.json> holds (- for nothing) | the whole of standard error | what
// standard output holds (left out: nothing); "\n" in the last three is a line break.
struct ToolCase {
  std::string name;
  int status;
  Args args;
  std::string json, err, out;
  friend void PrintTo(const ToolCase& c, std::ostream* out) { *out << c.name; }
};
inline std::vector<ToolCase> ToolCases(const char* table) {
  std::vector<ToolCase> cases;
  std::istringstream lines(table);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty()) continue;
    static const std::regex kBar(" \\| ");
    std::vector<std::string> columns(std::sregex_token_iterator(line.begin(), line.end(), kBar, -1),
                                     {});
    columns.resize(6);
    for (size_t i = 3; i < 6; ++i) {
      columns[i] = std::regex_replace(columns[i], std::regex(R"(\\n)"), "\n");
      if (i > 3 && !columns[i].empty()) columns[i] += '\n';
    }
    std::istringstream words(columns[2]);
    ToolCase& c = cases.emplace_back(columns[0], std::stoi(columns[1]));
    for (std::string word; words >> word;) c.args.push_back(word);
    c.json = columns[3] == "-" ? "" : columns[3];
    c.err = columns[4];
    c.out = columns[5];
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

// A bare PE32+ header: "PE" at kPeAt, the COFF header after its signature,
// the optional header after that with 16 data directories.
constexpr size_t kPeAt = 0x40, kCoffAt = kPeAt + 4, kOptionalAt = kCoffAt + 20;
constexpr size_t kDirectoriesAt = kOptionalAt + 0x70, kSecurityAt = kDirectoriesAt + 4 * 8;

inline std::string PortableExecutable() {
  std::string pe(kDirectoriesAt + 16 * 8, '\0');
  pe.replace(0, 2, "MZ");
  pe[0x3C] = kPeAt;
  pe.replace(kPeAt, 2, "PE");
  pe[kCoffAt + 16] = static_cast<char>(pe.size() - kOptionalAt);  // the optional header's size
  pe.replace(kOptionalAt, 2, "\x0b\x02");
  pe[kDirectoriesAt - 4] = 16;  // data directories
  return pe;
}

// As signing leaves a program: a certificate table that ends the file, where
// the security directory says.
inline std::string Signed(std::string bytes) {
  const std::string certificates = "certificates" + std::string(4, 'c');
  const uint32_t entry[] = {static_cast<uint32_t>(bytes.size()),
                            static_cast<uint32_t>(certificates.size())};
  for (size_t i = 0; i < 8; ++i)
    bytes[kSecurityAt + i] = static_cast<char>(entry[i / 4] >> (8 * (i % 4)));
  return bytes + certificates;
}

class KitTest : public ::testing::Test {
 protected:
  TempDir dir;
  const std::string program = dir.File("program"), ebook = dir.File("my book.exe");
  const std::string bare = dir.File("bare"), good = dir.File("good.json");
  const std::string stamp = dir.File("stamp.json"), customized = dir.File("customized");

  // The E-Book's identity is not UTF-8 and holds bytes after its first zero.
  // A second E-Book is marked customized.
  void SetUp() override {
    WriteFileBytes(program, ReadFileBytes("/bin/true"));
    WriteFileBytes(bare, ReadFileBytes(BUILD_DIR "/ui/rebrander"));
    for (const std::string& made : {program, bare}) fs::permissions(made, kPerms);
    packing::EBookPackage package;
    package.trailer.m_nVersion = 7;
    package.table.Add(Variable("a", "", 1));
    package.trailer.SetId(std::string("Caf\xE9 1.0\0tail", 14));
    Pack(package, ebook);
    package.table.m_bRebranded = 1;
    Pack(package, customized);
    // A signed program: an E-Book is never to be signed, as the signature
    // would not hold once a rebrander writes.
    WriteFileBytes(dir.File("signed"), Signed(PortableExecutable() + std::string(100, 'p')));
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
