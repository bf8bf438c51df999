// The file services: the two open modes against our own handles and real
// second processes, and what a crash-safe store needs beyond them. Sharing
// is decided per handle on Windows; elsewhere locks are advisory, a mapping
// needs no descriptor, and names can be links.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/durable_files.h"
#include "platform/io_faults.h"
#include "tests/core/other_process.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace platform;
using namespace testing_support;

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

// Whether an open in the given mode succeeds right now; closes at once.
bool Opens(const std::string& path, int mode) {
  const HFILE file = _lopen(path, mode);
  if (file != HFILE_ERROR) _lclose(file);
  return file != HFILE_ERROR;
}

// A copy of the test child program, so that it can also run.
class FileServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFileBytes(path, ReadFileBytes(ChildProgramPath()));
    std::filesystem::permissions(path, std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
  }
  // Names that open something other than a regular file.
  std::vector<std::string> NonFiles() const {
    if (kWindows) return {dir.File("NUL"), dir.File("CON"), dir.File("COM1"), dir.File("nul.exe")};
#ifndef _WIN32
    // Without a writer, a plain open would block.
    EXPECT_EQ(mkfifo(dir.File("fifo").c_str(), 0644), 0);
#endif
    return {dir.File("fifo")};
  }

  TempDir dir;
  std::string path = dir.File("book.exe");
};

TEST_F(FileServicesTest, AnotherProcessKeepsExclusiveOutAndOnlyItsExclusiveKeepsReadersOut) {
  std::vector<std::pair<ChildCommand, bool>> holders = {
      {OpensPlainly(path), true},
      {Runs(path), true},
      {LOpens(path, OF_SHARED_READ), true},
      {LOpens(path, OF_EXCLUSIVE_READWRITE), false},
  };
  if (!kWindows) holders.push_back({{ChildProgramPath(), "map", path}, true});
  for (const auto& [take, sharedReadOpens] : holders) {
    SCOPED_TRACE(take[1]);
    OtherProcess other(take);
    ASSERT_TRUE(other.Ready());
    EXPECT_EQ(Opens(path, OF_SHARED_READ), sharedReadOpens);
    EXPECT_FALSE(Opens(path, OF_EXCLUSIVE_READWRITE));
    other.Stop();
    EXPECT_TRUE(Opens(path, OF_EXCLUSIVE_READWRITE)) << "the other process alone was in the way";
  }
}

TEST_F(FileServicesTest, OurExclusiveKeepsOthersOutAndOurPlainHandleCountsOnlyOnWindows) {
  std::FILE* own = std::fopen(path.c_str(), "rb");
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(Opens(path, OF_EXCLUSIVE_READWRITE), !kWindows);
  EXPECT_TRUE(Opens(path, OF_SHARED_READ));
  std::fclose(own);
  const HFILE held = _lopen(path, OF_EXCLUSIVE_READWRITE);
  ASSERT_NE(held, HFILE_ERROR);
  EXPECT_TRUE(!kWindows || !Opens(path, OF_SHARED_READ)) << "our own exclusive handle";
  EXPECT_FALSE(OtherProcess(LOpens(path, OF_SHARED_READ)).Ready());
  EXPECT_FALSE(OtherProcess(LOpens(path, OF_EXCLUSIVE_READWRITE)).Ready());
  EXPECT_EQ(OtherProcess(OpensPlainly(path)).Ready(), !kWindows) << "locks are advisory";
  _lclose(held);
  EXPECT_TRUE(OtherProcess(LOpens(path, OF_EXCLUSIVE_READWRITE)).Ready());
}

// A journal's name must never lead a write to another file.
TEST_F(FileServicesTest, ExclusiveNeedsAWritableFileAndANewFileIsNeverAnythingThatIsThere) {
  SetReadOnly(path, true);
  EXPECT_FALSE(Opens(path, OF_EXCLUSIVE_READWRITE)) << "even to a privileged user";
  EXPECT_TRUE(Opens(path, OF_SHARED_READ));
  EXPECT_FALSE(Opens(path, 0)) << "only the two modes exist";
  std::vector<std::string> names = NonFiles();
  names.insert(names.end(), {dir.Path(), dir.File("missing"), std::string()});
  for (const std::string& name : names) {
    EXPECT_FALSE(Opens(name, OF_SHARED_READ) || Opens(name, OF_EXCLUSIVE_READWRITE)) << name;
  }
  names.resize(names.size() - 2);
  names.push_back(path);
#ifndef _WIN32
  ASSERT_EQ(symlink(path.c_str(), dir.File("link").c_str()), 0);
  ASSERT_EQ(symlink(dir.File("nowhere").c_str(), dir.File("dangling").c_str()), 0);
  names.insert(names.end(), {dir.File("link"), dir.File("dangling")});
#endif
  for (const std::string& name : names) {
    const HFILE file = CreateNewFile(name);
    EXPECT_EQ(file, HFILE_ERROR) << name;
    if (file != HFILE_ERROR) _lclose(file);
  }
  EXPECT_EQ(ReadFileBytes(path), ReadFileBytes(ChildProgramPath()));
  EXPECT_FALSE(std::filesystem::exists(dir.File("nowhere")));
  _lclose(CreateNewFile(dir.File("new")));
  using std::filesystem::perms;
  if (!kWindows) {
    EXPECT_EQ(std::filesystem::status(dir.File("new")).permissions(),
              perms::owner_read | perms::owner_write);
  }
}

TEST_F(FileServicesTest, EveryChangeAsksTheHookAndFailsCleanly) {
  EXPECT_TRUE(FlushFolder(dir.Path()));
  EXPECT_FALSE(FlushFolder(path)) << "not a folder";
  EXPECT_FALSE(FlushFolder(dir.File("missing")));
  const HFILE file = _lopen(path, OF_EXCLUSIVE_READWRITE);
  std::vector<IoOperation> asked;
  SetIoFaultHook([&](IoOperation operation) {
    asked.push_back(operation);
    return false;
  });
  EXPECT_FALSE(RemoveFile(path) || FlushFolder(dir.Path()) || SetFileLength(file, 1) ||
               FlushFile(file));
  EXPECT_EQ(CreateNewFile(dir.File("new")), HFILE_ERROR);
  EXPECT_EQ(_lwrite(file, "x", 1), HFILE_ERROR);
  SetIoFaultHook({});
  _lclose(file);
  EXPECT_EQ(asked, (std::vector<IoOperation>{IoOperation::Remove, IoOperation::Flush,
                                             IoOperation::Truncate, IoOperation::Flush,
                                             IoOperation::Write, IoOperation::Write}));
  EXPECT_EQ(ReadFileBytes(path), ReadFileBytes(ChildProgramPath()));
  EXPECT_FALSE(std::filesystem::exists(dir.File("new")));
  EXPECT_TRUE(RemoveFile(path));
  EXPECT_FALSE(RemoveFile(path)) << "already gone";
}

}  // namespace
