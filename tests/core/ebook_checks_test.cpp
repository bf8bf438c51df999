// Finding and checking the E-Book, and probing that nobody else has it open.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "ebook/ebook_file.h"
#include "platform/module_path.h"
#include "platform/sleep.h"
#include "tests/core/ebook_fixture.h"
#include "tests/core/other_process.h"

namespace {

using namespace ebook_testing;
using ebook::CEBookFile;
using testing_support::OtherProcess;
using testing_support::SetReadOnly;

// Identity before version, both exact; missing, or a folder under its name,
// names the rebrander's folder.
TEST_F(EBookTest, ValidatePassesTheRightEBookSilentlyAndGivesEachWrongOneItsMessage) {
  SetReadOnly(EBookPath(), true);
  EXPECT_EQ(CEBookFile().GetPath(), dir.Path() + platform::kPathSeparator + "book.exe");
  EXPECT_TRUE(CEBookFile().Validate()) << "even when read-only";
  EXPECT_TRUE(ui.messages.empty());
  std::string id;
  int32_t version = 0;
  ASSERT_TRUE(CEBookFile().ReadIdentity(id, version));
  EXPECT_EQ(std::tie(id, version), std::make_tuple(kEBookId, kVersion));
  SetReadOnly(EBookPath(), false);
  const auto with = [&](const std::string& id, int32_t version) {
    return WriteEBook(dir.File("scratch"), program, SampleTable(), SampleTrailer(id, version));
  };
  const std::pair<std::string, std::string> cases[] = {
      {std::string(50, 't'), kCorrupt},  // shorter than a trailer
      {program, kCorrupt},
      {original.substr(0, original.size() - 1) + char(original.back() ^ 1), kCorrupt},
      {with("Another-Book", kVersion), kDifferentEBook},
      {with("sample-book-2024", kVersion), kDifferentEBook},
      {with("Sample-Book-2024 ", kVersion), kDifferentEBook},
      {with("Other", kVersion + 1), kDifferentEBook},
      {with(kEBookId, -kVersion), kDifferentVersion},
      {"", NotFoundText(dir.Path() + platform::kPathSeparator)},
      {"folder", NotFoundText(dir.Path() + platform::kPathSeparator)},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const auto& [bytes, message] = cases[i];
    std::filesystem::remove(EBookPath());
    if (bytes == "folder") {
      std::filesystem::create_directory(EBookPath());
    } else if (!bytes.empty()) {
      WriteFileBytes(EBookPath(), bytes);
    }
    EXPECT_FALSE(CEBookFile().Validate());
    ExpectOnlyMessage(message);
  }
}

// The real second processes hold the file or run it; the sleeper stands for
// the clock and frees the file after the given number of sleeps.
TEST_F(EBookTest, ProbeTriesFiveTimesASecondApartUnderTheWaitCursor) {
  std::vector<uint32_t> sleeps;
  bool cursorOnWhileSleeping = true;
  std::optional<OtherProcess> holder;
  size_t releaseAfter = 0;
  platform::SetSleeper([&](uint32_t ms) {
    sleeps.push_back(ms);
    cursorOnWhileSleeping = cursorOnWhileSleeping && ui.waitCursor == std::vector<bool>{true};
    if (holder && sleeps.size() == releaseAfter) holder->Stop();
  });
  WriteRunnableEBook();
  const struct {
    const char* what;
    std::optional<testing_support::ChildCommand> holder;
    size_t releaseAfter;  // sleeps; 0 for never
    size_t sleeps;        // of 1000 ms; five means the probe failed
  } cases[] = {
      {"free", std::nullopt, 0, 0},
      {"freed after two sleeps", testing_support::OpensPlainly(EBookPath()), 2, 2},
      {"freed only after the fifth sleep", testing_support::OpensPlainly(EBookPath()), 5, 5},
      {"held throughout", testing_support::OpensPlainly(EBookPath()), 0, 5},
      {"running", testing_support::Runs(EBookPath()), 0, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sleeps.clear();
    ui.waitCursor.clear();
    ASSERT_TRUE(!c.holder || holder.emplace(*c.holder).Ready());
    EXPECT_TRUE(CEBookFile().Validate()) << "shared reading is not refused";
    releaseAfter = c.releaseAfter;
    EXPECT_EQ(CEBookFile().ProbeNotInUse(), c.sleeps < 5);
    EXPECT_EQ(sleeps, std::vector<uint32_t>(c.sleeps, 1000));
    if (c.sleeps == 5) ExpectOnlyMessage(kAlreadyRunning);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(cursorOnWhileSleeping);
    EXPECT_EQ(ui.waitCursor, (std::vector<bool>{true, false}));
    holder.reset();
  }
  SetReadOnly(EBookPath(), true);
  EXPECT_FALSE(CEBookFile().ProbeNotInUse()) << "read-only";
  ExpectOnlyMessage(kAlreadyRunning);
}

}  // namespace
