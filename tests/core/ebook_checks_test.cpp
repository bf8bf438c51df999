// Finding and checking the E-Book, and probing that nobody else has it open.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <vector>

#include "ebook/ebook_file.h"
#include "platform/sleep.h"
#include "tests/core/ebook_fixture.h"
#include "tests/core/expected_messages.h"
#include "tests/core/other_process.h"

namespace {

using namespace ebook_testing;
using ebook::CEBookFile;
using testing_support::HoldingProcess;
using testing_support::ReadFileBytes;
using testing_support::RunningProgram;
using testing_support::WriteFileBytes;

class ValidateTest : public EBookTest {
 protected:
  // Validate fails with exactly this message; clears the record for the next case.
  void ExpectRefused(const std::string& text, const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_FALSE(CEBookFile().Validate());
    ExpectOnlyMessage(text);
    ui.messages.clear();
  }
};

TEST_F(ValidateTest, MissingEBookNamesTheRebrandersFolder) {
  const std::string notFound = NotFoundText(dir.Path() + "/");
  ExpectRefused(notFound, "missing");
  ASSERT_EQ(mkdir(EBookPath().c_str(), 0755), 0);
  ExpectRefused(notFound, "a folder of that name");
}

TEST_F(ValidateTest, UnreadableTrailerIsCorruptNotMissing) {
  WriteFileBytes(EBookPath(), std::string(50, 't'));
  ExpectRefused(kCorrupt, "shorter than a trailer");
  WriteFileBytes(EBookPath(), program);
  ExpectRefused(kCorrupt, "a program without trailer");
  WriteSampleEBook();
  std::string bytes = ReadFileBytes(EBookPath());
  bytes.back() ^= 0x01;
  WriteFileBytes(EBookPath(), bytes);
  ExpectRefused(kCorrupt, "end marker damaged");
}

TEST_F(ValidateTest, IdentityIsComparedExactlyAndBeforeVersion) {
  WriteEBook(EBookPath(), program, SampleTable(), SampleTrailer("Another-Book"));
  ExpectRefused(kDifferentEBook, "another identity");
  WriteEBook(EBookPath(), program, SampleTable(), SampleTrailer("sample-book-2024"));
  ExpectRefused(kDifferentEBook, "letter case only");
  WriteEBook(EBookPath(), program, SampleTable(), SampleTrailer("Sample-Book-2024 "));
  ExpectRefused(kDifferentEBook, "a trailing blank");
  WriteEBook(EBookPath(), program, SampleTable(), SampleTrailer("Other", kVersion + 1));
  ExpectRefused(kDifferentEBook, "identity and version both wrong");
  WriteEBook(EBookPath(), program, SampleTable(), SampleTrailer(kEBookId, -kVersion));
  ExpectRefused(kDifferentVersion, "version only");
}

TEST_F(ValidateTest, MatchingEBookPassesSilentlyEvenWhenReadOnly) {
  WriteSampleEBook();
  ASSERT_EQ(chmod(EBookPath().c_str(), 0444), 0);
  const CEBookFile file;
  EXPECT_EQ(file.GetPath(), dir.Path() + "/book.exe");
  EXPECT_TRUE(file.Validate());
  EXPECT_TRUE(ui.messages.empty());
  std::string id;
  int32_t version = 0;
  ASSERT_TRUE(file.ReadIdentity(id, version));
  EXPECT_EQ(id, kEBookId);
  EXPECT_EQ(version, kVersion);
}

TEST_F(ValidateTest, FailedIdentityReadLeavesTheOutputsAlone) {
  WriteFileBytes(EBookPath(), program);
  std::string id = "before";
  int32_t version = 42;
  EXPECT_FALSE(CEBookFile().ReadIdentity(id, version));
  EXPECT_EQ(id, "before");
  EXPECT_EQ(version, 42);
  EXPECT_TRUE(CEBookFile().Exists());
  EXPECT_TRUE(ui.messages.empty()) << "neither shows anything";
}

class ProbeTest : public EBookTest {
 protected:
  void SetUp() override {
    EBookTest::SetUp();
    WriteSampleEBook();
    platform::SetSleeper([this](uint32_t ms) {
      sleeps.push_back(ms);
      cursorOnWhileSleeping = cursorOnWhileSleeping && ui.waitCursor == std::vector<bool>{true};
      if (onSleep) onSleep();
    });
  }
  void ExpectCursorOnThenOff() const {
    EXPECT_TRUE(cursorOnWhileSleeping);
    EXPECT_EQ(ui.waitCursor, (std::vector<bool>{true, false}));
  }

  std::vector<uint32_t> sleeps;
  bool cursorOnWhileSleeping = true;
  std::function<void()> onSleep;
};

TEST_F(ProbeTest, FreeEBookPassesAtOnce) {
  EXPECT_TRUE(CEBookFile().ProbeNotInUse());
  EXPECT_TRUE(sleeps.empty());
  EXPECT_TRUE(ui.messages.empty());
  ExpectCursorOnThenOff();
  EXPECT_TRUE(CEBookFile().ProbeNotInUse()) << "the probe's handle was closed";
}

TEST_F(ProbeTest, EBookHeldElsewhereFailsAfterFiveTriesAndFiveSleeps) {
  HoldingProcess holder([path = EBookPath()] { return open(path.c_str(), O_RDONLY) >= 0; });
  ASSERT_TRUE(holder.Opened());
  EXPECT_TRUE(CEBookFile().Validate()) << "shared reading is not refused";
  EXPECT_FALSE(CEBookFile().ProbeNotInUse());
  EXPECT_EQ(sleeps, std::vector<uint32_t>(5, 1000));
  ExpectOnlyMessage(kAlreadyRunning);
  ExpectCursorOnThenOff();
}

TEST_F(ProbeTest, ReadOnlyEBookFailsTheProbe) {
  ASSERT_EQ(chmod(EBookPath().c_str(), 0444), 0);
  EXPECT_FALSE(CEBookFile().ProbeNotInUse());
  EXPECT_EQ(sleeps.size(), 5u);
  ExpectOnlyMessage(kAlreadyRunning);
}

TEST_F(ProbeTest, ThirdTrySucceedsAfterTwoSleeps) {
  HoldingProcess holder([path = EBookPath()] { return open(path.c_str(), O_RDONLY) >= 0; });
  ASSERT_TRUE(holder.Opened());
  onSleep = [&] {
    if (sleeps.size() == 2) holder.Release();
  };
  EXPECT_TRUE(CEBookFile().ProbeNotInUse());
  EXPECT_EQ(sleeps, (std::vector<uint32_t>{1000, 1000}));
  EXPECT_TRUE(ui.messages.empty());
  ExpectCursorOnThenOff();
}

TEST_F(ProbeTest, NoSixthTryAfterTheFifthSleep) {
  HoldingProcess holder([path = EBookPath()] { return open(path.c_str(), O_RDONLY) >= 0; });
  ASSERT_TRUE(holder.Opened());
  onSleep = [&] {
    if (sleeps.size() == 5) holder.Release();
  };
  EXPECT_FALSE(CEBookFile().ProbeNotInUse());
  ExpectOnlyMessage(kAlreadyRunning);
}

// The one check against the real clock: a running E-Book.
TEST_F(EBookTest, RunningEBookPassesValidateAndFailsTheProbeAfterAboutFiveSeconds) {
  WriteEBook(EBookPath(), ReadFileBytes("/bin/sleep"), SampleTable(), SampleTrailer());
  ASSERT_EQ(chmod(EBookPath().c_str(), 0755), 0);
  RunningProgram running(EBookPath(), {"60"});
  ASSERT_TRUE(running.Started());
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
