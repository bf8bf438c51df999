// The stamping tool as its users run it.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "ebook/ebook_file.h"
#include "formats/rebrand_info.h"
#include "platform/module_path.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/run_program.h"
#include "tools/mkebook/ebook_package.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;
using tools_test::RunProgram;
namespace fs = std::filesystem;

// A packed E-Book whose identity holds bytes that are not UTF-8, and bytes
// after its first zero.
void WriteEBook(const std::string& path) {
  packing::EBookPackage package;
  package.trailer.m_nVersion = -7;
  package.trailer.SetId(std::string("Caf\xE9 1.0\0tail", 14));
  WriteFileBytes(path + ".program", "stand-in E-Book program");
  std::string error;
  ASSERT_TRUE(packing::PackEBook(path + ".program", package, path, error)) << error;
  fs::remove(path + ".program");
}

// The E-Book's own checks, run as the rebrander at `rebrander` runs them.
bool PassesChecks(const std::string& rebrander, std::vector<std::string>& messages) {
  testing_support::RecordingUserInterface ui;
  platform::OverrideModuleFileName(rebrander);
  formats::ResetRebrandInfoForTesting();
  const bool valid = ebook::CEBookFile().Validate();
  platform::OverrideModuleFileName(std::nullopt);
  formats::ResetRebrandInfoForTesting();
  for (const auto& message : ui.messages) messages.push_back(message.text);
  return valid;
}

// A complete command line; `changes` replaces the values of the options it
// names and adds the others.
std::vector<std::string> Args(const std::string& output,
                              const std::map<std::string, std::string>& changes = {}) {
  std::vector<std::string> args = {MKREBRANDER, "--program",      "/bin/true", "--output",
                                   output,      "--ebook-file",   "book",      "--ebook-id",
                                   "Book 1",    "--version",      "-5",        "--title",
                                   "T",         "--allow-repeat", "1"};
  std::map<std::string, std::string> added = changes;
  for (size_t i = 1; i + 1 < args.size(); i += 2) {
    if (changes.count(args[i])) args[i + 1] = changes.at(args[i]);
    added.erase(args[i]);
  }
  for (const auto& [name, value] : added) args.insert(args.end(), {name, value});
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

TEST(MkrebranderTest, StampedForAnEBookPassesItsChecks) {
  const testing_support::TempDir dir;
  const std::string ebook = dir.File("my book.exe");
  WriteEBook(ebook);
  const auto run = RunProgram({MKREBRANDER, "--program", "/bin/true", "--for-ebook", ebook,
                               "--title", "T", "--output", dir.File("rebrander")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const formats::CRebrandInfo info(dir.File("rebrander"));
  EXPECT_EQ(info.Info().m_strEBookFile, "my book.exe");
  EXPECT_EQ(info.Info().m_strEBookId, "Caf\xE9 1.0");
  EXPECT_EQ(info.Trailer().m_nVersion, -7);
  std::vector<std::string> messages;
  EXPECT_TRUE(PassesChecks(dir.File("rebrander"), messages));
  EXPECT_EQ(messages, std::vector<std::string>{});
}

// dump, then stamp from the dump: the same rebrander, byte for byte, whatever
// bytes its texts hold; the command line wins over the file.
TEST(MkrebranderTest, DumpedStampStampsTheSameRebrander) {
  const testing_support::TempDir dir;
  const std::string original = dir.File("original"), again = dir.File("again");
  auto args = Args(original, {{"--ebook-id", "Caf\xE9"}, {"--title", "Gr\xC3\xBC\xC3\x9F"}});
  args.insert(args.end(), {"--status-before", "\xFF\xFE raw\r\n", "--text3", "3"});
  ASSERT_EQ(RunProgram(args).exitCode, 0);
  for (const std::vector<std::string>& encoding :
       {std::vector<std::string>{}, {"--encoding", "windows-1252"}}) {
    std::vector<std::string> dump = {MKREBRANDER, "dump", original};
    dump.insert(dump.end(), encoding.begin(), encoding.end());
    const auto dumped = RunProgram(dump);
    ASSERT_EQ(dumped.exitCode, 0) << dumped.err;
    WriteFileBytes(dir.File("stamp.json"), dumped.out);
    std::vector<std::string> stamp = {
        MKREBRANDER, "--program", "/bin/true", "--stamp", dir.File("stamp.json"),
        "--output",  again};
    stamp.insert(stamp.end(), encoding.begin(), encoding.end());
    const auto stamped = RunProgram(stamp);
    ASSERT_EQ(stamped.exitCode, 0) << stamped.err;
    EXPECT_EQ(ReadFileBytes(again), ReadFileBytes(original)) << dumped.out;
  }
  const auto json = [&](const std::string& file) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(
        RunProgram({MKREBRANDER, "dump", file, "--encoding", "windows-1252"}).out));
  };
  EXPECT_EQ(json(original)["title"], "GrÃ¼ÃŸ");
  EXPECT_EQ(json(original)["ebook-id"], "Café");
  ASSERT_EQ(RunProgram({MKREBRANDER, "--program", "/bin/true", "--stamp", dir.File("stamp.json"),
                        "--title", "Neu", "--output", again})
                .exitCode,
            0);
  EXPECT_EQ(json(again)["title"], "Neu");
  EXPECT_EQ(json(again)["text3"], "3");
}

// A folder with the E-Book and a rebrander that passes its checks, and an
// archive of that folder; the Linux rebrander is the one built beside the tool.
TEST(MkrebranderTest, BundleHoldsTheEBookAndItsRebrander) {
  const testing_support::TempDir dir;
  const std::string ebook = dir.File("book");
  WriteEBook(ebook);
  WriteFileBytes(dir.File("bare.exe"), "MZ stand-in Windows rebrander");
  const struct {
    std::vector<std::string> options;
    std::string rebrander, list;
  } cases[] = {
      {{}, "rebrander", "tar -tzf kit.tar.gz"},
      {{"--windows", "--program", dir.File("bare.exe")}, "rebrander.exe", "unzip -Z1 kit.zip"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rebrander);
    const std::string kit = dir.File("kit");
    std::vector<std::string> args = {MKREBRANDER, "bundle", "--ebook",  ebook,
                                     "--title",   "T",      "--output", kit};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const auto run = RunProgram(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(kit + "/book"), ReadFileBytes(ebook));
    std::vector<std::string> messages;
    EXPECT_TRUE(PassesChecks(kit + "/" + c.rebrander, messages));
    EXPECT_EQ(messages, std::vector<std::string>{});
    const auto listed = RunProgram({"/bin/sh", "-c", "cd '" + dir.Path() + "' && " + c.list});
    std::vector<std::string> entries;
    std::istringstream lines(listed.out);
    for (std::string line; std::getline(lines, line);) entries.push_back(line);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"kit/", "kit/book", "kit/" + c.rebrander}));
    fs::remove_all(kit);
    for (const char* archive : {"kit.tar.gz", "kit.zip"}) fs::remove(dir.File(archive));
  }
}

TEST(MkrebranderTest, BadArgumentsGiveOneLineAndWriteNothing) {
  const testing_support::TempDir dir;
  const std::string out = dir.File("out");
  const std::string ebook = dir.File("book");
  WriteEBook(ebook);
  WriteFileBytes(dir.File("kit.tar.gz"), "an archive already there");
  WriteFileBytes(dir.File("stamp.json"), R"({"title": {"base64": 5}})");
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
      Args(out, {{"--title", "\xCE\xA9"}, {"--encoding", "windows-1252"}}),
      Args(out, {{"--encoding", "no-such-code-page"}}),
      Args(out, {{"--for-ebook", ebook}}),
      Args(out, {{"--ebook-id", "x"}, {"--stamp", dir.File("stamp.json")}}),
      Args(out, {{"--ebook-id", "x"}, {"--stamp", dir.File("none.json")}}),
      {MKREBRANDER, "--program", "/bin/true", "--for-ebook", "/bin/true", "--title", "T",
       "--output", out},
      {MKREBRANDER, "--program", "/bin/true", "--for-ebook", ebook, "--output", out},
      {MKREBRANDER, "dump", "/bin/true"},
      {MKREBRANDER, "dump", dir.File("none")},
      {MKREBRANDER, "bundle", "--ebook", ebook, "--title", "T", "--output", dir.File("kit")},
      {MKREBRANDER, "bundle", "--ebook", ebook, "--title", "T", "--output", dir.File("k2"),
       "--program", dir.File("none")},
      {MKREBRANDER, "bundle", "--ebook", ebook, "--title", "T", "--output", dir.File("k3"),
       "--windows", "--program", "/bin/true", "--version", "1"},
  };
  const auto entries = [&dir] {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  };
  const auto before = entries();
  for (const auto& args : cases) {
    const auto run = RunProgram(args);
    EXPECT_NE(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("mkrebrander: ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(entries(), before) << run.err;
  }
}

}  // namespace
