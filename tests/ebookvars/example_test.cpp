// The author's example program, built as C and as C++, run as a user runs it:
// packed into an E-Book it prints its own variables from any folder and under
// any name; given a path it prints another E-Book's; on a file without a table
// it prints the library's message and fails.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/path.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tools/ebookvars/ebookvars.h"

#ifdef _WIN32
#include "tools/mkebook/ebook_package.h"
#endif

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

// Bytes beyond ASCII go through unchanged, in whatever code page they are.
const std::string kPrinted = "title: A Book of One's Own\nauthor: Ren\xC3\xA9\nempty: \n";

#ifdef _WIN32
// The build's paths are Linux paths; Wine sees the root as drive Z:.
std::string FromBuild(const char* path) {
  std::string windows = path[0] == '/' ? std::string("Z:") + path : path;
  for (char& c : windows) c = c == '/' ? '\\' : c;
  return windows;
}

void Pack(const std::string& program, const std::string& output) {
  packing::EBookPackage package;
  package.trailer.SetId("Example 1.0");
  const std::pair<const char*, const char*> texts[] = {
      {"title", "A Book of One's Own"}, {"author", "Ren\xC3\xA9"}, {"empty", ""}};
  for (const auto& [ident, value] : texts) {
    formats::CVariable variable;
    variable.m_strIdent = ident;
    variable.m_strValue = value;
    package.table.Add(variable);
  }
  std::string error;
  ASSERT_TRUE(packing::PackEBook(program, package, output, error)) << error;
}
#else
std::string FromBuild(const char* path) {
  return path;
}

// With the kit's own packer, as an author packs.
void Pack(const std::string& program, const std::string& output) {
  const TempDir scratch;
  WriteFileBytes(scratch.File("table.json"), R"({"id": "Example 1.0", "version": 1,
    "rebranded": 0, "variables": [
      {"ident": "title", "prompt": "Title:", "value": "A Book of One's Own", "editable": 1, "type": 0},
      {"ident": "author", "prompt": "Author:", "value": "René", "editable": 1, "type": 0},
      {"ident": "empty", "prompt": "", "value": "", "editable": 0, "type": 9}]})");
  const ProgramRun run = RunProgram({MKEBOOK, "pack", "--program", program, "--table",
                                     scratch.File("table.json"), "--output", output});
  ASSERT_EQ(run.exitCode, 0) << run.err;
}
#endif

class ExampleTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    fs::create_directory(platform::TextFromPath(dir.File("my books")));
    ASSERT_NO_FATAL_FAILURE(Pack(example, packed));
  }
  TempDir dir;
  const std::string example = FromBuild(GetParam());
  const std::string packed = platform::TextFromPath(dir.File("my books")) + "/renamed book" +
                             fs::path(example).extension().string();
};

TEST_P(ExampleTest, PrintsItsOwnVariablesFromAnotherFolder) {
  const ProgramRun run = RunProgram({packed}, platform::TextFromPath(dir.Path()));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, kPrinted);
  EXPECT_EQ(run.err, "");
}

TEST_P(ExampleTest, PrintsTheVariablesOfTheEBookItIsGiven) {
  const ProgramRun run = RunProgram({example, packed});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, kPrinted);
}

TEST_P(ExampleTest, FailsWithTheLibrarysMessageWithoutATable) {
  WriteFileBytes(platform::TextFromPath(dir.File("plain.txt")), std::string(500, 'x'));
  const std::string noTrailer = std::string(ebv_error_message(EBV_ERROR_NO_TRAILER)) + "\n";
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{example, platform::TextFromPath(dir.File("plain.txt"))}, noTrailer},
      {{example}, noTrailer},  // itself, never packed
      {{example, platform::TextFromPath(dir.File("missing"))},
       std::string(ebv_error_message(EBV_ERROR_OPEN)) + "\n"},
  };
  for (const auto& c : cases) {
    const ProgramRun run = RunProgram(c.args);
    EXPECT_EQ(run.exitCode, 1) << c.args.back();
    EXPECT_EQ(run.out, "") << c.args.back();
    EXPECT_EQ(run.err, c.err) << c.args.back();
  }
}

#ifdef _WIN32
// Started from a folder whose name no ANSI code page spells, it still finds
// itself: the library opens it by its wide path.
TEST_P(ExampleTest, PrintsItsOwnVariablesFromAFolderTheCodePageCannotSpell) {
  const fs::path folder = fs::path(dir.Path()) / L"\u65E5\u672C \u0411\u0443\u043A";
  fs::create_directory(folder);
  fs::copy_file(packed, folder / L"book.exe");
  const fs::path out = fs::path(dir.Path()) / L"out.txt";
  // cmd.exe takes the first and the last quote of its command line away.
  const std::wstring command =
      L"\"\"" + (folder / L"book.exe").wstring() + L"\" > \"" + out.wstring() + L"\"\"";
  EXPECT_EQ(_wsystem(command.c_str()), 0);
  std::string printed = ReadFileBytes(out.string());
  std::erase(printed, '\r');
  EXPECT_EQ(printed, kPrinted);
}
#endif

INSTANTIATE_TEST_SUITE_P(AsCAndAsCxx, ExampleTest, ::testing::Values(EXAMPLE_C, EXAMPLE_CXX));

}  // namespace
