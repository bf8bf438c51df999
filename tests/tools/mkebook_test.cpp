// mkebook run as a separate process, the way users and the demo script run it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <set>

#include "formats/ebook_trailer.h"
#include "formats/variable_table.h"
#include "platform/file_io.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/run_program.h"

namespace {

using namespace platform;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;
using tools_test::Lines;
using tools_test::ProgramRun;
using tools_test::RunProgram;

constexpr char kProgramBytes[] =
    "\x7f"
    "ELF stand-in program bytes\n";

// Every kind of field: negative and extreme integers, markup, line breaks,
// non-ASCII text, empty strings.
constexpr char kRichTable[] = R"({
  "id": "Grüße 1.0 <b>",
  "version": -5,
  "opaque": [1, -2, 2147483647, -2147483648, 0, 77],
  "rebranded": 1,
  "variables": [
    {"ident": "title", "prompt": "Title & <i>more</i>:", "value": "My <b>Book</b>",
     "editable": 1, "type": 0},
    {"ident": "note", "prompt": "", "value": "line one\r\nline two\r\n", "editable": 0, "type": 3},
    {"ident": "", "prompt": "odd", "value": "", "editable": 5, "type": -1}
  ]
})";

QJsonDocument Json(const std::string& text) {
  return QJsonDocument::fromJson(QByteArray::fromStdString(text));
}

std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

class MkEBookTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string program = dir.File("program");

  void SetUp() override {
    WriteFileBytes(program, kProgramBytes);
    chmod(program.c_str(), 0755);
  }

  std::string Table(const std::string& json, const std::string& name = "table.json") {
    const std::string path = dir.File(name);
    WriteFileBytes(path, json);
    return path;
  }

  static ProgramRun Pack(const std::string& from, const std::string& table,
                         const std::string& output) {
    return RunProgram({MKEBOOK, "pack", "--program", from, "--table", table, "--output", output});
  }

  static void MustPack(const std::string& from, const std::string& table,
                       const std::string& output) {
    const ProgramRun run = Pack(from, table, output);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
  }

  static std::string Dump(const std::string& ebook) {
    const ProgramRun run = RunProgram({MKEBOOK, "dump", ebook});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run.out;
  }
};

// A failure is one line on stderr naming the problem, a non-zero exit, and no
// file left behind.
void ExpectFailure(const ProgramRun& run, const std::string& problem,
                   const std::set<std::string>& entriesBefore, const std::string& folder) {
  EXPECT_NE(run.exitCode, 0);
  EXPECT_EQ(run.out, "");
  ASSERT_EQ(Lines(run.err).size(), 1u) << run.err;
  EXPECT_EQ(run.err.rfind("mkebook: ", 0), 0u) << run.err;
  EXPECT_NE(run.err.find(problem), std::string::npos)
      << "expected " << problem << " in " << run.err;
  EXPECT_EQ(Entries(folder), entriesBefore);
}

TEST_F(MkEBookTest, DumpOfAPackedEBookGivesBackItsDescription) {
  MustPack(program, Table(kRichTable), dir.File("rich"));
  EXPECT_EQ(Json(Dump(dir.File("rich"))), Json(kRichTable));

  MustPack(program, SAMPLE_TABLE, dir.File("sample"));
  EXPECT_EQ(Json(Dump(dir.File("sample"))), Json(ReadFileBytes(SAMPLE_TABLE)));

  // Left out, the opaque integers are zeros; an empty table stays empty.
  MustPack(program, Table(R"({"id": "", "version": 0, "rebranded": 0, "variables": []})"),
           dir.File("plain"));
  EXPECT_EQ(Json(Dump(dir.File("plain"))),
            Json(R"({"id": "", "version": 0, "opaque": [0, 0, 0, 0, 0, 0], "rebranded": 0,
                     "variables": []})"));
}

TEST_F(MkEBookTest, PackedFileIsProgramThenTableThenTrailer) {
  const std::string ebook = dir.File("ebook");
  MustPack(program, Table(kRichTable), ebook);
  const std::string bytes = ReadFileBytes(ebook);
  const auto programSize = static_cast<int32_t>(sizeof kProgramBytes - 1);
  ASSERT_GT(bytes.size(), programSize + 104u);
  EXPECT_EQ(bytes.substr(0, programSize), kProgramBytes);
  // The identity is the one unmasked field, at offset 36 of the trailer.
  const std::string id = "Grüße 1.0 <b>";
  EXPECT_EQ(bytes.substr(bytes.size() - 104 + 36, id.size() + 1), id + '\0');

  const HFILE file = _lopen(ebook, OF_SHARED_READ);
  ASSERT_NE(file, HFILE_ERROR);
  const int32_t trailerAt = _llseek(file, -104, FILE_END);
  formats::CFieldStream stream(formats::CFieldStream::kRead, file);
  formats::CEBookTrailer trailer;
  ASSERT_TRUE(trailer.Transfer(stream));
  EXPECT_EQ(trailer.GetId(), id);
  EXPECT_EQ(trailer.m_nVersion, -5);
  EXPECT_EQ(trailer.m_nTableOffset, programSize);
  EXPECT_EQ(trailer.m_nField2, 1);
  EXPECT_EQ(trailer.m_nField3, -2);
  EXPECT_EQ(trailer.m_nField4, 2147483647);
  EXPECT_EQ(trailer.m_nField5, -2147483647 - 1);
  EXPECT_EQ(trailer.m_nField7, 0);
  EXPECT_EQ(trailer.m_nField8, 77);

  ASSERT_EQ(_llseek(file, trailer.m_nTableOffset, FILE_BEGIN), programSize);
  formats::CVariableTable table;
  ASSERT_TRUE(table.Read(file));
  EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), trailerAt);  // nothing between table and trailer
  _lclose(file);
  EXPECT_EQ(table.m_bRebranded, 1);
  ASSERT_EQ(table.GetSize(), 3);
  EXPECT_EQ(table[0].m_strPrompt, "Title & <i>more</i>:");
  EXPECT_EQ(table[0].m_strValue, "My <b>Book</b>");
  EXPECT_EQ(table[1].m_strValue, "line one\r\nline two\r\n");
  EXPECT_EQ(table[1].m_bEditable, 0);
  EXPECT_EQ(table[1].m_nType, 3);
  EXPECT_EQ(table[2].m_strIdent, "");
  EXPECT_EQ(table[2].m_bEditable, 5);
  EXPECT_EQ(table[2].m_nType, -1);
}

TEST_F(MkEBookTest, RepackingAnEBookReplacesItsTableInsteadOfStacking) {
  const std::string rich = dir.File("rich");
  const std::string fresh = dir.File("fresh");
  MustPack(program, Table(kRichTable), rich);
  MustPack(program, SAMPLE_TABLE, fresh);
  const std::string expected = ReadFileBytes(fresh);

  const std::string repacked = dir.File("repacked");
  MustPack(rich, SAMPLE_TABLE, repacked);
  EXPECT_EQ(ReadFileBytes(repacked), expected);

  // In place, as after a rebranding that shrank the table and left old bytes
  // between the table and the trailer.
  std::string shrunk = ReadFileBytes(rich);
  shrunk.insert(shrunk.size() - 104, "left over from a longer table");
  WriteFileBytes(rich, shrunk);
  MustPack(rich, SAMPLE_TABLE, rich);
  EXPECT_EQ(ReadFileBytes(rich), expected);
}

TEST_F(MkEBookTest, BadDescriptionsFailWithoutOutput) {
  const std::string id65(65, 'x');
  const struct {
    const char* json;
    const char* problem;
  } cases[] = {
      {R"({"id": "x", "version": 1, )", "malformed JSON"},
      {R"([])", "object"},
      {R"({"version": 1, "rebranded": 0, "variables": []})", "missing field \"id\""},
      {R"({"id": 7, "version": 1, "rebranded": 0, "variables": []})", "\"id\" must be a string"},
      {R"({"id": "x", "version": "1", "rebranded": 0, "variables": []})", "\"version\""},
      {R"({"id": "x", "version": 1.5, "rebranded": 0, "variables": []})", "\"version\""},
      {R"({"id": "x", "version": 2147483648, "rebranded": 0, "variables": []})", "\"version\""},
      {R"({"id": "x", "version": 1, "opaque": [1, 2, 3, 4, 5], "rebranded": 0,
           "variables": []})",
       "\"opaque\""},
      {R"({"id": "x", "version": 1, "variables": []})", "missing field \"rebranded\""},
      {R"({"id": "x", "version": 1, "rebranded": 0})", "missing field \"variables\""},
      {R"({"id": "x", "version": 1, "rebranded": 0, "variables": {}})", "\"variables\""},
      {R"({"id": "x", "version": 1, "rebranded": 0, "variables": [
           {"ident": "a", "prompt": "p", "value": "v", "editable": 1, "type": 0},
           {"ident": "b", "value": "v", "editable": 1, "type": 0}]})",
       "missing field \"variables[1].prompt\""},
      {R"({"id": "x", "version": 1, "rebranded": 0, "variables": [
           {"ident": "a", "prompt": "p", "value": "v", "editable": "yes", "type": 0}]})",
       "\"variables[0].editable\""},
      {R"({"id": "x", "version": 1, "rebranded": 0, "variables": [
           {"ident": "a", "prompt": "p", "value": "v\u0000w", "editable": 1, "type": 0}]})",
       "\"variables[0].value\""},
      {R"({"id": "x", "version": 1, "rebranded": 0, "variables": [], "titel": "x"})", "\"titel\""},
  };
  const std::string output = dir.File("out");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.json);
    const std::string table = Table(c.json);
    const std::set<std::string> before = Entries(dir.Path());
    ExpectFailure(Pack(program, table, output), c.problem, before, dir.Path());
  }

  // An identity is measured in bytes: 32 two-byte letters fit, 33 do not.
  std::string letters;
  for (int i = 0; i < 33; ++i) letters += "é";
  const auto description = [](const std::string& id) {
    return R"({"id": ")" + id + R"(", "version": 1, "rebranded": 0, "variables": []})";
  };
  const std::set<std::string> before = Entries(dir.Path());
  ExpectFailure(Pack(program, Table(description(letters)), output), "\"id\" is 66 bytes", before,
                dir.Path());
  MustPack(program, Table(description(letters.substr(2))), output);
  EXPECT_EQ(Json(Dump(output)).object().value("id").toString().toStdString(), letters.substr(2));
}

TEST_F(MkEBookTest, BadFilesAndArgumentsFailWithoutOutput) {
  const std::string table = Table(ReadFileBytes(SAMPLE_TABLE));
  const std::string output = dir.File("out");
  const std::string ebook = dir.File("ebook");
  MustPack(program, table, ebook);
  // An E-Book whose trailer points at a damaged table: its program part is unknown.
  std::string damaged = ReadFileBytes(ebook);
  damaged[sizeof kProgramBytes - 1] ^= 1;
  WriteFileBytes(dir.File("damaged"), damaged);

  const struct {
    std::vector<std::string> args;
    std::string problem;
  } cases[] = {
      {{"pack", "--program", program, "--table", dir.File("none.json"), "--output", output},
       dir.File("none.json")},
      {{"pack", "--program", program, "--table", dir.Path(), "--output", output},
       "cannot read " + dir.Path() + ":"},
      {{"pack", "--program", dir.File("none"), "--table", table, "--output", output},
       dir.File("none")},
      {{"pack", "--program", dir.Path(), "--table", table, "--output", output},
       "cannot open " + dir.Path()},
      {{"pack", "--program", dir.File("damaged"), "--table", table, "--output", output},
       "variable table"},
      {{"pack", "--program", program, "--table", table, "--output", dir.File("no/out")},
       dir.File("no/out")},
      {{"pack", "--program", program, "--table", table}, "--output"},
      {{"pack", "--program", program, "--table", table, "--output", output, "--x", "1"}, "--x"},
      {{"dump", program}, "trailer"},
      {{"dump", dir.File("damaged")}, "variable table"},
      {{"dump", dir.File("none")}, dir.File("none")},
      {{"dump", ebook, "--field", "title"}, "--field"},
      {{"unpack"}, "unpack"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {MKEBOOK};
    args.insert(args.end(), c.args.begin(), c.args.end());
    std::string command;
    for (const std::string& arg : c.args) command += arg + " ";
    SCOPED_TRACE(command);
    const std::set<std::string> before = Entries(dir.Path());
    ExpectFailure(RunProgram(args), c.problem, before, dir.Path());
  }

  // A failed pack leaves an existing output as it was.
  WriteFileBytes(output, "previous");
  const ProgramRun run = Pack(program, Table("{"), output);
  EXPECT_NE(run.exitCode, 0);
  EXPECT_EQ(ReadFileBytes(output), "previous");
}

TEST_F(MkEBookTest, PackedProgramKeepsItsPermissionsAndStillRuns) {
  const std::string runnable = dir.File("true");
  WriteFileBytes(runnable, ReadFileBytes("/bin/true"));
  chmod(runnable.c_str(), 0751);
  const std::string ebook = dir.File("true-ebook");
  MustPack(runnable, SAMPLE_TABLE, ebook);
  struct stat st;
  ASSERT_EQ(stat(ebook.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0751u);
  EXPECT_EQ(RunProgram({ebook}).exitCode, 0);

  chmod(program.c_str(), 0640);
  MustPack(program, SAMPLE_TABLE, dir.File("private"));
  ASSERT_EQ(stat(dir.File("private").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// The demo depends on the sample table offering every kind of variable.
TEST(SampleTableTest, OffersEveryKindOfVariable) {
  const QJsonObject root = Json(ReadFileBytes(SAMPLE_TABLE)).object();
  std::set<int> editableTypes;
  int fixed = 0;
  int unsupported = 0;
  for (const QJsonValue& value : root.value("variables").toArray()) {
    const QJsonObject variable = value.toObject();
    const int type = variable.value("type").toInt();
    if (variable.value("editable").toInt() == 0) {
      ++fixed;
    } else if (type < 0 || type > 3) {
      ++unsupported;
    } else {
      editableTypes.insert(type);
    }
  }
  EXPECT_EQ(editableTypes, (std::set<int>{0, 1, 2, 3}));
  EXPECT_GE(fixed, 1);
  EXPECT_GE(unsupported, 1);
  EXPECT_FALSE(root.value("id").toString().isEmpty());
}

}  // namespace
