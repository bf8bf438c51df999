// The two open modes against real second processes: one holding the file
// open (plainly or through the same modes) and one running it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_io.h"
#include "platform/io_faults.h"
#include "tests/core/other_process.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace platform;
using testing_support::HoldingProcess;
using testing_support::ReadFileBytes;
using testing_support::RunningProgram;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

// Whether an open in the given mode succeeds right now; closes at once.
bool Opens(const std::string& path, int mode) {
  const HFILE file = _lopen(path, mode);
  if (file == HFILE_ERROR) return false;
  _lclose(file);
  return true;
}

class OpenModesTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteFileBytes(path, "contents"); }

  // A child that holds the file with a plain open, as a program that knows
  // nothing of our locks would.
  std::function<bool()> PlainOpen() {
    return [p = path] { return open(p.c_str(), O_RDONLY) >= 0; };
  }
  std::function<bool()> LOpen(int mode) {
    return [p = path, mode] { return _lopen(p, mode) != HFILE_ERROR; };
  }

  TempDir dir;
  std::string path = dir.File("book.exe");
};

TEST_F(OpenModesTest, PlainHolderAllowsSharedReadButNotExclusive) {
  HoldingProcess holder(PlainOpen());
  ASSERT_TRUE(holder.Opened());
  EXPECT_TRUE(Opens(path, OF_SHARED_READ));
  EXPECT_FALSE(Opens(path, OF_EXCLUSIVE_READWRITE));
  holder.Release();
  EXPECT_TRUE(Opens(path, OF_EXCLUSIVE_READWRITE)) << "the holder alone was in the way";
}

TEST_F(OpenModesTest, RunningProgramAllowsSharedReadButNotExclusive) {
  WriteFileBytes(path, ReadFileBytes("/bin/sleep"));
  ASSERT_EQ(chmod(path.c_str(), 0755), 0);
  RunningProgram running(path, {"60"});
  ASSERT_TRUE(running.Started());
  EXPECT_TRUE(Opens(path, OF_SHARED_READ));
  EXPECT_FALSE(Opens(path, OF_EXCLUSIVE_READWRITE));
  running.Stop();
  EXPECT_TRUE(Opens(path, OF_EXCLUSIVE_READWRITE));
}

TEST_F(OpenModesTest, MappingWithoutDescriptorStillCounts) {
  HoldingProcess holder([p = path] {
    const int fd = open(p.c_str(), O_RDONLY);
    if (fd < 0) return false;
    void* mapped = mmap(nullptr, 8, PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    return mapped != MAP_FAILED;
  });
  ASSERT_TRUE(holder.Opened());
  EXPECT_FALSE(Opens(path, OF_EXCLUSIVE_READWRITE));
  holder.Release();
  EXPECT_TRUE(Opens(path, OF_EXCLUSIVE_READWRITE));
}

TEST_F(OpenModesTest, ExclusiveHolderKeepsEveryoneOut) {
  HoldingProcess holder(LOpen(OF_EXCLUSIVE_READWRITE));
  ASSERT_TRUE(holder.Opened());
  EXPECT_FALSE(Opens(path, OF_SHARED_READ));
  EXPECT_FALSE(Opens(path, OF_EXCLUSIVE_READWRITE));
  holder.Release();
  EXPECT_TRUE(Opens(path, OF_SHARED_READ));
}

TEST_F(OpenModesTest, SharedHolderKeepsOnlyExclusiveOut) {
  HoldingProcess holder(LOpen(OF_SHARED_READ));
  ASSERT_TRUE(holder.Opened());
  EXPECT_TRUE(Opens(path, OF_SHARED_READ));
  EXPECT_FALSE(Opens(path, OF_EXCLUSIVE_READWRITE));
}

TEST_F(OpenModesTest, OurExclusiveHandleKeepsOtherProcessesOut) {
  const HFILE held = _lopen(path, OF_EXCLUSIVE_READWRITE);
  ASSERT_NE(held, HFILE_ERROR);
  EXPECT_FALSE(HoldingProcess(LOpen(OF_SHARED_READ)).Opened());
  EXPECT_FALSE(HoldingProcess(LOpen(OF_EXCLUSIVE_READWRITE)).Opened());
  _lclose(held);
  EXPECT_TRUE(HoldingProcess(LOpen(OF_EXCLUSIVE_READWRITE)).Opened());
}

TEST_F(OpenModesTest, OurOwnPlainDescriptorDoesNotCount) {
  const int own = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(own, 0);
  EXPECT_TRUE(Opens(path, OF_EXCLUSIVE_READWRITE));
  close(own);
}

TEST_F(OpenModesTest, ExclusiveRefusesReadOnlyFileEvenToPrivilegedUser) {
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  EXPECT_FALSE(Opens(path, OF_EXCLUSIVE_READWRITE));
  EXPECT_TRUE(Opens(path, OF_SHARED_READ));
}

TEST_F(OpenModesTest, OnlyExistingRegularFilesOpen) {
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  // A FIFO without a writer would block a plain open forever.
  for (int mode : {OF_SHARED_READ, OF_EXCLUSIVE_READWRITE}) {
    EXPECT_FALSE(Opens(dir.Path(), mode)) << mode;
    EXPECT_FALSE(Opens(fifo, mode)) << mode;
    EXPECT_FALSE(Opens(dir.File("missing"), mode)) << mode;
    EXPECT_FALSE(Opens("", mode)) << mode;
  }
  EXPECT_FALSE(Opens(path, 0)) << "modes other than the two are refused";
}

TEST_F(OpenModesTest, SetFileLengthCutsAndExtendsUnlessRefused) {
  const HFILE file = _lopen(path, OF_EXCLUSIVE_READWRITE);
  ASSERT_NE(file, HFILE_ERROR);
  EXPECT_TRUE(SetFileLength(file, 3));
  EXPECT_EQ(ReadFileBytes(path), "con");
  EXPECT_TRUE(SetFileLength(file, 5));
  EXPECT_EQ(ReadFileBytes(path), std::string("con\0\0", 5));
  EXPECT_FALSE(SetFileLength(file, -1));
  SetIoFaultHook([](IoOperation operation) { return operation != IoOperation::Truncate; });
  EXPECT_FALSE(SetFileLength(file, 1));
  SetIoFaultHook({});
  EXPECT_EQ(ReadFileBytes(path).size(), 5u);
  _lclose(file);
}

}  // namespace
