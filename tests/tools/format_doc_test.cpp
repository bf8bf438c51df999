// docs/format.md ends with a hex dump of a small E-Book. These tests pack the
// same program with the table the document shows, using the built mkebook,
// and hold the dump to those bytes and to its own decoded column.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <optional>
#include <regex>
#include <sstream>
#include <vector>

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

struct Row {
  std::string line, bytes, decoded;
  long offset;
};

// Every line of the dump but its heading is a row; a line that is not is reported.
std::vector<Row> DumpRows() {
  static const std::regex kRow(
      R"(\| ([0-9a-f]{8}) \| ([0-9a-f]{2}(?: [0-9a-f]{2})*) \| [^|]+ \| ([^|]+) \|)");
  std::vector<Row> rows;
  std::istringstream lines(Section("hex-dump"));
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (line.empty() || line.starts_with("| offset ") || line.starts_with("|---")) continue;
    if (!std::regex_match(line, match, kRow)) {
      ADD_FAILURE() << "not a dump row: " << line;
      continue;
    }
    std::string bytes;
    std::istringstream hex(match[2]);
    for (int byte; hex >> std::hex >> byte;) bytes += static_cast<char>(byte);
    rows.push_back({line, bytes, match[3], std::stol(match[1], nullptr, 16)});
  }
  return rows;
}

// The stored bytes that a decoded cell describes, for `count` bytes; nothing
// for a form the dump does not use.
std::optional<std::string> Encode(const std::string& decoded, size_t count) {
  static const std::regex kInteger(R"(0x[0-9A-F]{8}|-?[0-9]+)"), kText(R"((raw )?(".*"))");
  std::smatch match;
  if (decoded == "zeros") return std::string(count, '\0');
  if (std::regex_match(decoded, match, kText)) {
    // The quoted text's escapes (\n, \r, \" and \\) are those of JSON.
    std::string text = nlohmann::json::parse(match[2].str()).get<std::string>();
    if (!match[1].matched)
      for (char& c : text) c = static_cast<char>(c ^ 0x93);
    return text;
  }
  if (!std::regex_match(decoded, kInteger)) return std::nullopt;
  const auto stored = static_cast<uint32_t>(std::stoll(decoded, nullptr, 0)) ^ 0x93939393u;
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>(stored >> (8 * i));
  return bytes;
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

  std::string dumped;
  for (const Row& row : DumpRows()) {
    EXPECT_EQ(row.offset, static_cast<long>(dumped.size())) << "offset of: " << row.line;
    dumped += row.bytes;
  }
  EXPECT_EQ(dumped, ReadFileBytes(dir.File("ebook")));
}

TEST(FormatDocTest, EveryRowDecodesToItsBytes) {
  const std::vector<Row> rows = DumpRows();
  EXPECT_GT(rows.size(), 30u) << "the dump in " << FORMAT_DOC << " is missing or cut short";
  for (const Row& row : rows) {
    const std::optional<std::string> encoded = Encode(row.decoded, row.bytes.size());
    ASSERT_TRUE(encoded.has_value()) << "decoded column not understood: " << row.line;
    EXPECT_EQ(*encoded, row.bytes) << row.line;
  }
}

}  // namespace
