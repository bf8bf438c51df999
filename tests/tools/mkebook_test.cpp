// mkebook run as a separate process, the way users and the demo script run it.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <filesystem>

#include "formats/ebook_trailer.h"
#include "formats/variable_table.h"
#include "platform/file_io.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/run_program.h"

namespace {

using namespace platform;
using namespace testing_support;
using namespace tools_test;

constexpr char kProgramBytes[] = "stand-in program bytes\n";

// Markup, CR LF, non-ASCII text, empty strings and extreme integers.
constexpr char kRichTable[] = R"({
  "id": "Grüße 1.0 <b>", "version": -5, "opaque": [1, -2, 2147483647, -2147483648, 0, 77],
  "rebranded": 1,
  "variables": [
    {"ident": "title", "prompt": "Title & <i>more</i>:", "value": "My <b>Book</b>",
     "editable": 1, "type": 0},
    {"ident": "note", "prompt": "", "value": "line one\r\nline two\r\n", "editable": 0, "type": 3}
  ]
})";

class MkEBookTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string program = dir.File("program");
  std::string table = dir.File("table.json");

  void SetUp() override {
    WriteFileBytes(program, kProgramBytes);
    WriteFileBytes(table, kRichTable);
  }

  static void Pack(const std::string& from, const std::string& json, const std::string& output) {
    const ProgramRun run =
        RunProgram({MKEBOOK, "pack", "--program", from, "--table", json, "--output", output});
    ASSERT_EQ(run.exitCode, 0) << run.err;
  }
};

TEST_F(MkEBookTest, DumpGivesBackThePackedDescription) {
  Pack(program, table, dir.File("ebook"));
  const ProgramRun dump = RunProgram({MKEBOOK, "dump", dir.File("ebook")});
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(dump.out)),
            QJsonDocument::fromJson(kRichTable));
}

TEST_F(MkEBookTest, PackedFileIsProgramThenTableThenTrailer) {
  const std::string ebook = dir.File("ebook");
  Pack(program, table, ebook);
  const std::string bytes = ReadFileBytes(ebook);
  const int32_t programSize = sizeof kProgramBytes - 1;
  EXPECT_EQ(bytes.substr(0, programSize), kProgramBytes);
  // The identity is the one unmasked field, at offset 36 of the trailer.
  EXPECT_EQ(bytes.substr(bytes.size() - 104 + 36, 16), std::string("Grüße 1.0 <b>") + '\0');

  const HFILE file = _lopen(ebook, OF_SHARED_READ);
  const int32_t trailerAt = _llseek(file, -104, FILE_END);
  formats::CFieldStream stream(formats::CFieldStream::kRead, file);
  formats::CEBookTrailer trailer;
  formats::CVariableTable read;
  EXPECT_TRUE(trailer.Transfer(stream));
  EXPECT_EQ(_llseek(file, trailer.m_nTableOffset, FILE_BEGIN), programSize);
  EXPECT_TRUE(read.Read(file));
  EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), trailerAt);  // nothing between table and trailer
  _lclose(file);
  ASSERT_EQ(read.GetSize(), 2);
  EXPECT_EQ(read[1].m_strValue, "line one\r\nline two\r\n");
}

// Repacked in place after a rebranding shrank the table and left old bytes before the trailer.
TEST_F(MkEBookTest, RepackingReplacesTheTableInsteadOfStacking) {
  const std::string ebook = dir.File("ebook");
  Pack(program, table, ebook);
  std::string shrunk = ReadFileBytes(ebook);
  shrunk.insert(shrunk.size() - 104, "left over from a longer table");
  WriteFileBytes(ebook, shrunk);
  Pack(ebook, SAMPLE_TABLE, ebook);
  Pack(program, SAMPLE_TABLE, dir.File("fresh"));
  EXPECT_EQ(ReadFileBytes(ebook), ReadFileBytes(dir.File("fresh")));
}

// Each: one line on stderr naming the problem, a non-zero exit, and no file written.
TEST_F(MkEBookTest, BadInputFailsWithOneLineAndNoOutput) {
  const std::string output = dir.File("out");
  const std::string damaged = dir.File("damaged");
  Pack(program, table, damaged);
  std::string bytes = ReadFileBytes(damaged);
  bytes[sizeof kProgramBytes - 1] ^= 1;  // the table's first byte
  WriteFileBytes(damaged, bytes);
  WriteFileBytes(output, "previous");

  const std::vector<std::string> pack = {MKEBOOK,   "pack", "--program", program,
                                         "--table", table,  "--output",  output};
  std::string id66;  // 33 two-byte letters: an identity is measured in bytes
  for (int i = 0; i < 33; ++i) id66 += "é";
  const struct {
    std::string json;
    std::vector<std::string> args;
    std::string problem;
  } cases[] = {
      {R"({"id": "x", )", pack, "malformed JSON"},
      {R"({"id": "x", "version": 2147483648, "rebranded": 0, "variables": []})", pack,
       "\"version\" must be a 32-bit integer"},
      {R"({"id": ")" + id66 + R"(", "version": 1, "rebranded": 0, "variables": []})", pack,
       "\"id\" is 66 bytes"},
      {R"({"id": "x", "version": 1, "rebranded": 0, "variables": [
           {"ident": "a", "prompt": "p", "value": "v\u0000w", "editable": 1, "type": 0}]})",
       pack, "\"variables[0].value\" must not contain"},
      {kRichTable,
       {MKEBOOK, "pack", "--program", damaged, "--table", table, "--output", output},
       "variable table cannot be read"},
      {kRichTable,
       {MKEBOOK, "pack", "--program", program, "--table", table, "--output", output + "/x"},
       "cannot create " + output + "/x"},
      {kRichTable, {MKEBOOK, "dump", program}, "does not end with an E-Book trailer"},
  };
  const auto entries = [this] {  // a failure leaves no temporary file behind either
    return std::distance(std::filesystem::directory_iterator(dir.Path()), {});
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.problem);
    WriteFileBytes(table, c.json);
    const auto before = entries();
    const ProgramRun run = RunProgram(c.args);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("mkebook: ", 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_NE(run.err.find(c.problem), std::string::npos) << run.err;
    EXPECT_EQ(entries(), before);
    EXPECT_EQ(ReadFileBytes(output), "previous");
  }
}

TEST_F(MkEBookTest, PackedProgramKeepsItsPermissionsAndStillRuns) {
  const std::string runnable = dir.File("true");
  const std::string ebook = dir.File("true-ebook");
  WriteFileBytes(runnable, ReadFileBytes("/bin/true"));
  std::filesystem::permissions(runnable, std::filesystem::perms(0751));
  Pack(runnable, table, ebook);
  EXPECT_EQ(std::filesystem::status(ebook).permissions(), std::filesystem::perms(0751));
  EXPECT_EQ(RunProgram({ebook}).exitCode, 0);
}

}  // namespace
