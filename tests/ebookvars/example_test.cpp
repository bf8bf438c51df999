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
#include "tools/mkebook/ebook_package.h"

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

// Bytes beyond ASCII go through unchanged, in whatever code page they are.
const std::string kPrinted = "title: A Book of One's Own\nauthor: Ren\xC3\xA9\nempty: \n";

class ExampleTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    fs::create_directory(platform::TextFromPath(dir.File("my books")));
    packing::EBookPackage package;
    package.trailer.SetId("Example 1.0");
    for (const auto& [ident, value] :
         {std::pair{"title", "A Book of One's Own"}, {"author", "Ren\xC3\xA9"}, {"empty", ""}}) {
      package.table.Add({});
      package.table[package.table.GetSize() - 1].m_strIdent = ident;
      package.table[package.table.GetSize() - 1].m_strValue = value;
    }
    std::string error;
    ASSERT_TRUE(packing::PackEBook(example, package, packed, error)) << error;
  }
  TempDir dir;
  const std::string example = FromBuild(GetParam());
  const std::string packed = platform::TextFromPath(dir.File("my books")) + "/renamed book" +
                             fs::path(example).extension().string();
};

// Its own variables from another folder, or those of the E-Book it is given.
TEST_P(ExampleTest, PrintsTheVariablesOfItselfOrOfTheEBookItIsGiven) {
  for (const std::vector<std::string>& args : {std::vector{packed}, {example, packed}}) {
    const ProgramRun run = RunProgram(args, platform::TextFromPath(dir.Path()));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, kPrinted) << args[0];
    EXPECT_EQ(run.err, "") << args[0];
  }
}

TEST_P(ExampleTest, FailsWithTheLibrarysMessageWithoutATable) {
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{example}, std::string(ebv_error_message(EBV_ERROR_NO_TRAILER)) + "\n"},  // never packed
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
