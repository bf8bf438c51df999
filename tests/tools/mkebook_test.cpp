// mkebook run as a separate process, the way users and the demo script run it.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <random>

#include "formats/ebook_trailer.h"
#include "formats/variable_table.h"
#include "platform/file_io.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/run_program.h"
#include "tools/mkebook/ebook_package.h"

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
  std::vector<std::string> withEncoding = pack;
  withEncoding.insert(withEncoding.end(), {"--encoding", "windows-1252"});
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
       pack, "\"variables[0].value\" must not hold a zero byte"},
      {kRichTable,
       {MKEBOOK, "pack", "--program", damaged, "--table", table, "--output", output},
       "variable table cannot be read"},
      {kRichTable,
       {MKEBOOK, "pack", "--program", program, "--table", table, "--output", output + "/x"},
       "cannot create " + output + "/x"},
      {kRichTable, {MKEBOOK, "dump", program}, "does not end with an E-Book trailer"},
      {R"({"id": "x", "version": 1, "rebranded": 0, "variables": [
           {"ident": "a", "prompt": "p", "value": "Ω", "editable": 1, "type": 0}]})",
       withEncoding, "\"variables[0].value\" holds U+03A9 \"Ω\", which windows-1252 cannot"},
      {R"({"id": "x", "version": 1, "rebranded": 0, "variables": [
           {"ident": "a", "prompt": "\ud800", "value": "v", "editable": 1, "type": 0}]})",
       pack, "\"variables[0].prompt\" holds a lone surrogate U+D800"},
      {R"({"id": {"base64": "!!"}, "version": 1, "rebranded": 0, "variables": []})", pack,
       "\"id\" holds invalid base64"},
      {R"({"id": {"hex": "00"}, "version": 1, "rebranded": 0, "variables": []})", pack,
       "\"id\" must be a string or {\"base64\""},
      {kRichTable,
       {MKEBOOK, "dump", program, "--encoding", "no-such-code-page"},
       "unknown encoding no-such-code-page"},
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

// Bytes of every kind: ASCII, stray high bytes and well-formed UTF-8, so that
// both JSON forms of a text and every code page's odd corners come up.
std::string RandomBytes(std::mt19937& random, bool zeros) {
  std::string bytes;
  const int length = std::uniform_int_distribution<int>(0, 12)(random);
  for (int i = 0; i < length; ++i) {
    switch (random() % 4) {
      case 0:
        bytes += static_cast<char>(1 + random() % 255);
        break;
      case 1:
        bytes += static_cast<char>(0x20 + random() % 0x5F);
        break;
      case 2:
        bytes += random() % 2 ? "\xC3\xA9" : "\xE2\x82\xAC";
        break;
      default:
        bytes += zeros && random() % 3 == 0 ? '\0' : static_cast<char>(0x80 + random() % 0x80);
    }
  }
  return bytes;
}

// dump, then pack with the E-Book as the program: the same file, byte for byte,
// for random texts and identities in several code pages.
TEST_F(MkEBookTest, DumpThenPackGivesBackEveryByte) {
  std::mt19937 random(20261207);
  int plain = 0, base64 = 0;
  for (const std::string encoding : {"", "windows-1252", "SHIFT_JIS", "GB18030"}) {
    for (int round = 0; round < 40; ++round) {
      SCOPED_TRACE(encoding + " round " + std::to_string(round));
      packing::EBookPackage package;
      package.trailer.m_nVersion = static_cast<int32_t>(random());
      package.trailer.m_nField4 = static_cast<int32_t>(random());
      package.table.m_bRebranded = static_cast<int32_t>(random() % 3);
      // The identity block is raw: zeros inside it, and bytes after them, are kept.
      package.trailer.SetId(RandomBytes(random, true) + RandomBytes(random, true));
      for (int i = random() % 4; i > 0; --i) {
        formats::CVariable variable;
        variable.m_strIdent = RandomBytes(random, false);
        variable.m_strPrompt = RandomBytes(random, false);
        variable.m_strValue = RandomBytes(random, false);
        variable.m_bEditable = static_cast<int32_t>(random() % 2);
        variable.m_nType = static_cast<int32_t>(random());
        package.table.Add(variable);
      }
      const std::string ebook = dir.File("ebook"), repacked = dir.File("repacked");
      std::string error;
      ASSERT_TRUE(packing::PackEBook(program, package, ebook, error)) << error;

      std::vector<std::string> dump = {MKEBOOK, "dump", ebook};
      if (!encoding.empty()) dump.insert(dump.end(), {"--encoding", encoding});
      const ProgramRun dumped = RunProgram(dump);
      ASSERT_EQ(dumped.exitCode, 0) << dumped.err;
      ASSERT_EQ(dumped.err, "");
      WriteFileBytes(table, dumped.out);
      std::vector<std::string> pack = {MKEBOOK,   "pack", "--program", ebook,
                                       "--table", table,  "--output",  repacked};
      if (!encoding.empty()) pack.insert(pack.end(), {"--encoding", encoding});
      const ProgramRun packed = RunProgram(pack);
      ASSERT_EQ(packed.exitCode, 0) << packed.err << dumped.out;
      ASSERT_EQ(ReadFileBytes(repacked), ReadFileBytes(ebook)) << dumped.out;

      const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(dumped.out));
      for (const QJsonValue variable : json["variables"].toArray()) {
        (variable["value"].isString() ? plain : base64)++;
      }
    }
  }
  // Both forms were exercised, not just one.
  EXPECT_GT(plain, 20);
  EXPECT_GT(base64, 20);
}

// The same bytes read in the code page they were written in, and as raw bytes.
TEST_F(MkEBookTest, DumpShowsTextInItsCodePage) {
  packing::EBookPackage package;
  package.trailer.SetId("Caf\xE9");
  formats::CVariable variable;
  variable.m_strValue = "\xFF\xFE raw \xC3";  // the bytes of a Windows E-Book
  package.table.Add(variable);
  std::string error;
  ASSERT_TRUE(packing::PackEBook(program, package, dir.File("ebook"), error)) << error;
  const struct {
    std::vector<std::string> options;
    QJsonValue id, value;
  } cases[] = {
      {{}, QJsonObject{{"base64", "Q2Fm6Q=="}}, QJsonObject{{"base64", "//4gcmF3IMM="}}},
      {{"--encoding", "windows-1252"}, "Café", "ÿþ raw Ã"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {MKEBOOK, "dump", dir.File("ebook")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ProgramRun run = RunProgram(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(run.out));
    EXPECT_EQ(json["id"], c.id) << run.out;
    EXPECT_EQ(json["variables"][0]["value"], c.value) << run.out;
  }
}

// The table format ends a text at a zero byte: dump says which texts it cut.
TEST_F(MkEBookTest, DumpWarnsOfATextCutAtAZeroByte) {
  packing::EBookPackage package;
  formats::CVariable variable;
  variable.m_strPrompt = std::string("before\0after", 12);
  package.table.Add(variable);
  package.table.Add(variable);
  package.table[0].m_strPrompt = "whole";
  std::string error;
  ASSERT_TRUE(packing::PackEBook(program, package, dir.File("ebook"), error)) << error;
  const ProgramRun run = RunProgram({MKEBOOK, "dump", dir.File("ebook")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err,
            "mkebook: warning: variables[1].prompt is stored with a zero byte inside; only the "
            "text before it is dumped\n");
  EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(run.out))["variables"][1]["prompt"],
            "before");
}

}  // namespace
