// Finding and checking the E-Book, and probing that nobody else has it open.
#include <gtest/gtest.h>

#include <chrono>
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

using ValidateTest = EBookTest;

// Identity before version, both exact.
TEST_F(ValidateTest, MatchingEBookPassesSilentlyAndEachWrongOneGetsItsMessage) {
  SetReadOnly(EBookPath(), true);
  EXPECT_EQ(CEBookFile().GetPath(), dir.Path() + platform::kPathSeparator + "book.exe");
  EXPECT_TRUE(CEBookFile().Validate()) << "even when read-only";
  EXPECT_TRUE(ui.messages.empty());
  std::string id;
  int32_t version = 0;
  ASSERT_TRUE(CEBookFile().ReadIdentity(id, version));
  EXPECT_EQ(id, kEBookId);
  EXPECT_EQ(version, kVersion);
  SetReadOnly(EBookPath(), false);
  std::string damagedEnd = original;
  damagedEnd.back() ^= 0x01;
  const auto with = [&](const std::string& id, int32_t version) {
    WriteEBook(dir.File("scratch"), program, SampleTable(), SampleTrailer(id, version));
    return ReadFileBytes(dir.File("scratch"));
  };
  const struct {
    const char* what;
    std::string bytes;
    std::string message;
  } cases[] = {
      {"shorter than a trailer", std::string(50, 't'), kCorrupt},
      {"a program without trailer", program, kCorrupt},
      {"end marker damaged", damagedEnd, kCorrupt},
      {"another identity", with("Another-Book", kVersion), kDifferentEBook},
      {"letter case only", with("sample-book-2024", kVersion), kDifferentEBook},
      {"a trailing blank", with("Sample-Book-2024 ", kVersion), kDifferentEBook},
      {"identity and version both wrong", with("Other", kVersion + 1), kDifferentEBook},
      {"version only", with(kEBookId, -kVersion), kDifferentVersion},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFileBytes(EBookPath(), c.bytes);
    EXPECT_FALSE(CEBookFile().Validate());
    ExpectOnlyMessage(c.message);
  }
  // Missing, or a folder under its name: the message names the rebrander's folder.
  ASSERT_TRUE(std::filesystem::remove(EBookPath()));
  for (bool folder : {false, true}) {
    if (folder) {
      ASSERT_TRUE(std::filesystem::create_directory(EBookPath()));
    }
    EXPECT_FALSE(CEBookFile().Validate());
    ExpectOnlyMessage(NotFoundText(dir.Path() + platform::kPathSeparator));
  }
}

using ProbeTest = EBookTest;

TEST_F(ProbeTest, FiveTriesASecondApartUnderTheWaitCursor) {
  std::vector<uint32_t> sleeps;
  bool cursorOnWhileSleeping = true;
  std::optional<OtherProcess> holder;
  int releaseAfter = 0;
  platform::SetSleeper([&](uint32_t ms) {
    sleeps.push_back(ms);
    cursorOnWhileSleeping = cursorOnWhileSleeping && ui.waitCursor == std::vector<bool>{true};
    if (holder && static_cast<int>(sleeps.size()) == releaseAfter) holder->Stop();
  });
  const struct {
    const char* what;
    bool held;
    int releaseAfter;  // sleeps; 0 for never
    size_t sleeps;     // of 1000 ms; five means the probe failed
  } cases[] = {
      {"free", false, 0, 0},
      {"freed after two sleeps", true, 2, 2},
      {"freed only after the fifth sleep", true, 5, 5},
      {"held throughout", true, 0, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sleeps.clear();
    ui.waitCursor.clear();
    if (c.held) {
      holder.emplace(testing_support::OpensPlainly(EBookPath()));
      ASSERT_TRUE(holder->Ready());
      EXPECT_TRUE(CEBookFile().Validate()) << "shared reading is not refused";
    }
    releaseAfter = c.releaseAfter;
    EXPECT_EQ(CEBookFile().ProbeNotInUse(), c.sleeps < 5);
    EXPECT_EQ(sleeps, std::vector<uint32_t>(c.sleeps, 1000));
    if (c.sleeps < 5) {
      EXPECT_TRUE(ui.messages.empty());
    } else {
      ExpectOnlyMessage(kAlreadyRunning);
    }
    EXPECT_TRUE(cursorOnWhileSleeping);
    EXPECT_EQ(ui.waitCursor, (std::vector<bool>{true, false}));
    holder.reset();
  }
  SetReadOnly(EBookPath(), true);
  EXPECT_FALSE(CEBookFile().ProbeNotInUse()) << "read-only";
  ExpectOnlyMessage(kAlreadyRunning);
}

// The one check against the real clock: a running E-Book.
TEST_F(EBookTest, RunningEBookPassesValidateAndFailsTheProbeAfterAboutFiveSeconds) {
  WriteRunnableEBook();
  OtherProcess running(testing_support::Runs(EBookPath()));
  ASSERT_TRUE(running.Ready());
  EXPECT_TRUE(CEBookFile().Validate());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(CEBookFile().ProbeNotInUse());
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(4900));
  EXPECT_LT(elapsed, std::chrono::seconds(15));
  ExpectOnlyMessage(kAlreadyRunning);
  EXPECT_EQ(ui.waitCursor, (std::vector<bool>{true, false}));
}

}  // namespace
