// docs/format.md ends with a hex dump of a small E-Book. This test packs the
// same program with the table the document shows, using the built mkebook,
// and hold the dump to those bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <sstream>

#include "tests/support/temp_dir.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

constexpr char kProgram[] = "#!/bin/sh\nexit;\n";

// The text between "<!-- name:begin -->" and "<!-- name:end -->".
std::string Section(const std::string& name) {
  const std::string doc = ReadFileBytes(FORMAT_DOC);
  const std::string begin = "<!-- " + name + ":begin -->", end = "<!-- " + name + ":end -->";
  const size_t from = doc.find(begin), to = doc.find(end);
  if (from == std::string::npos || to == std::string::npos || to < from) return "";
  return doc.substr(from + begin.size(), to - from - begin.size());
}

TEST(FormatDocTest, DumpIsWhatMkebookPacks) {
  const TempDir dir;
  std::string table = Section("example-table");
  ASSERT_NE(table.find("```json"), std::string::npos) << "no example table in " << FORMAT_DOC;
  table = std::regex_replace(table, std::regex("```(json)?"), "");
  WriteFileBytes(dir.File("program"), kProgram);
  WriteFileBytes(dir.File("table.json"), table);
  const std::string command = std::string("'") + MKEBOOK + "' pack --program '" +
                              dir.File("program") + "' --table '" + dir.File("table.json") +
                              "' --output '" + dir.File("ebook") + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  // Every line of the dump but its heading is a row; a line that is not is reported.
  static const std::regex kRow(
      R"(\| ([0-9a-f]{8}) \| ([0-9a-f]{2}(?: [0-9a-f]{2})*) \| [^|]+ \| [^|]+ \|)");
  std::string dumped;
  std::istringstream lines(Section("hex-dump"));
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (line.empty() || line.starts_with("| offset ") || line.starts_with("|---")) continue;
    if (!std::regex_match(line, match, kRow)) {
      ADD_FAILURE() << "not a dump row: " << line;
      continue;
    }
    EXPECT_EQ(std::stol(match[1], nullptr, 16), static_cast<long>(dumped.size())) << line;
    std::istringstream hex(match[2]);
    for (int byte; hex >> std::hex >> byte;) dumped += static_cast<char>(byte);
  }
  EXPECT_EQ(dumped, ReadFileBytes(dir.File("ebook")));
}

}  // namespace
