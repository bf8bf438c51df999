// The stamping tool as its users run it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "formats/rebrand_info.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/run_program.h"

namespace {

using tools_test::RunProgram;

// A complete command line; `changes` replaces the values of the options it names.
std::vector<std::string> Args(const std::string& output,
                              const std::map<std::string, std::string>& changes = {}) {
  std::vector<std::string> args = {MKREBRANDER, "--program",      "/bin/true", "--output",
                                   output,      "--ebook-file",   "book",      "--ebook-id",
                                   "Book 1",    "--version",      "-5",        "--title",
                                   "T",         "--allow-repeat", "1"};
  for (size_t i = 1; i + 1 < args.size(); i += 2) {
    if (changes.count(args[i])) args[i + 1] = changes.at(args[i]);
  }
  return args;
}

TEST(MkrebranderTest, StampsEveryFieldIntoACopy) {
  const testing_support::TempDir dir;
  auto args = Args(dir.File("out"));
  args.insert(args.end(), {"--status-before", "a\nb", "--text3", "3"});
  const auto run = RunProgram(args);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const formats::CRebrandInfo info(dir.File("out"));
  ASSERT_FALSE(info.HasError());
  EXPECT_EQ(info.Info().m_strEBookFile, "book");
  EXPECT_EQ(info.Info().m_strEBookId, "Book 1");
  EXPECT_EQ(info.Info().m_strStatusBefore, "a\nb");
  EXPECT_EQ(info.Info().m_strText3, "3");
  EXPECT_EQ(info.Info().m_bAllowRepeat, 1);
  EXPECT_EQ(info.Trailer().m_nVersion, -5);
  EXPECT_EQ(RunProgram({dir.File("out")}).exitCode, 0) << "the stamped copy still runs";
}

TEST(MkrebranderTest, BadArgumentsGiveOneLineAndWriteNothing) {
  const testing_support::TempDir dir;
  const std::string out = dir.File("out");
  auto twice = Args(out);
  twice.insert(twice.end(), {"--title", "again"});
  auto unknown = Args(out);
  unknown.insert(unknown.end(), {"--colour", "red"});
  const std::vector<std::vector<std::string>> cases = {
      {MKREBRANDER, "--output", out},
      twice,
      unknown,
      Args(out, {{"--program", dir.File("none")}}),
      Args(out, {{"--version", "12x"}}),
      Args(out, {{"--version", "99999999999"}}),
      Args(out, {{"--ebook-file", "sub/book"}}),
      Args(out, {{"--allow-repeat", "2"}}),
  };
  for (const auto& args : cases) {
    const auto run = RunProgram(args);
    EXPECT_NE(run.exitCode, 0) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path())) << run.err;
  }
}

}  // namespace
