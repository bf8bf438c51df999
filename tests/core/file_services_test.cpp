// The file services: the two open modes against real second processes (one
// holding the file plainly, mapped or through the same modes, one running it),
// and what a crash-safe store needs beyond them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/durable_files.h"
#include "platform/io_faults.h"
#include "tests/core/other_process.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace platform;
using testing_support::OtherProcess;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

// Whether an open in the given mode succeeds right now; closes at once.
bool Opens(const std::string& path, int mode) {
  const HFILE file = _lopen(path, mode);
  if (file == HFILE_ERROR) return false;
  _lclose(file);
  return true;
}

std::function<bool()> LOpens(const std::string& path, int mode) {
  return [path, mode] { return _lopen(path, mode) != HFILE_ERROR; };
}

class FileServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFileBytes(path, ReadFileBytes("/bin/sleep"));
    ASSERT_EQ(chmod(path.c_str(), 0755), 0);
  }
  testing_support::TempDir dir;
  std::string path = dir.File("book.exe");
};

TEST_F(FileServicesTest, AnotherProcessKeepsExclusiveOutAndOnlyItsExclusiveKeepsReadersOut) {
  const auto mapsWithoutDescriptor = [p = path] {
    const int fd = open(p.c_str(), O_RDONLY);
    if (fd < 0) return false;
    void* mapped = mmap(nullptr, 8, PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    return mapped != MAP_FAILED;
  };
  const struct {
    const char* what;
    std::function<bool()> take;
    bool sharedReadOpens;
  } cases[] = {
      {"plain open", testing_support::OpensPlainly(path), true},
      {"mapping without a descriptor", mapsWithoutDescriptor, true},
      {"running it", testing_support::Runs(path), true},
      {"shared read", LOpens(path, OF_SHARED_READ), true},
      {"exclusive", LOpens(path, OF_EXCLUSIVE_READWRITE), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    OtherProcess other(c.take);
    ASSERT_TRUE(other.Ready());
    EXPECT_EQ(Opens(path, OF_SHARED_READ), c.sharedReadOpens);
    EXPECT_FALSE(Opens(path, OF_EXCLUSIVE_READWRITE));
    other.Stop();
    EXPECT_TRUE(Opens(path, OF_EXCLUSIVE_READWRITE)) << "the other process alone was in the way";
  }
}

TEST_F(FileServicesTest, OurExclusiveHandleKeepsOthersOutButOurOwnDescriptorsDoNotCount) {
  const HFILE held = _lopen(path, OF_EXCLUSIVE_READWRITE);
  ASSERT_NE(held, HFILE_ERROR);
  EXPECT_FALSE(OtherProcess(LOpens(path, OF_SHARED_READ)).Ready());
  EXPECT_FALSE(OtherProcess(LOpens(path, OF_EXCLUSIVE_READWRITE)).Ready());
  _lclose(held);
  EXPECT_TRUE(OtherProcess(LOpens(path, OF_EXCLUSIVE_READWRITE)).Ready());

  const int own = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(own, 0);
  EXPECT_TRUE(Opens(path, OF_EXCLUSIVE_READWRITE));
  close(own);
}

TEST_F(FileServicesTest, ExclusiveNeedsAWritableRegularFileAndOnlyTheTwoModesExist) {
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  EXPECT_FALSE(Opens(path, OF_EXCLUSIVE_READWRITE)) << "even to a privileged user";
  EXPECT_TRUE(Opens(path, OF_SHARED_READ));
  EXPECT_FALSE(Opens(path, 0));
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);  // without a writer, a plain open would block
  for (int mode : {OF_SHARED_READ, OF_EXCLUSIVE_READWRITE}) {
    for (const std::string& name : {dir.Path(), fifo, dir.File("missing"), std::string()}) {
      EXPECT_FALSE(Opens(name, mode)) << mode << " " << name;
    }
  }
}

// A journal's name must never lead a write to another file.
TEST_F(FileServicesTest, NewFileIsNeverAnythingThatIsThere) {
  ASSERT_EQ(symlink(path.c_str(), dir.File("link").c_str()), 0);
  ASSERT_EQ(symlink(dir.File("nowhere").c_str(), dir.File("dangling").c_str()), 0);
  for (const std::string& name : {path, dir.File("link"), dir.File("dangling")}) {
    EXPECT_EQ(CreateNewFile(name), HFILE_ERROR) << name;
  }
  EXPECT_EQ(ReadFileBytes(path), ReadFileBytes("/bin/sleep"));
  EXPECT_NE(access(dir.File("nowhere").c_str(), F_OK), 0);
}

TEST_F(FileServicesTest, EveryChangeAsksTheHookAndFailsCleanly) {
  EXPECT_TRUE(FlushFolder(dir.Path()));
  EXPECT_FALSE(FlushFolder(path)) << "not a folder";
  EXPECT_FALSE(FlushFolder(dir.File("missing")));
  const std::string before = ReadFileBytes(path);
  const HFILE file = _lopen(path, OF_EXCLUSIVE_READWRITE);
  ASSERT_NE(file, HFILE_ERROR);
  std::vector<IoOperation> asked;
  SetIoFaultHook([&](IoOperation operation) {
    asked.push_back(operation);
    return false;
  });
  EXPECT_FALSE(RemoveFile(path));
  EXPECT_FALSE(FlushFolder(dir.Path()));
  EXPECT_EQ(CreateNewFile(dir.File("new")), HFILE_ERROR);
  EXPECT_FALSE(SetFileLength(file, 1));
  EXPECT_EQ(_lwrite(file, "x", 1), HFILE_ERROR);
  EXPECT_FALSE(FlushFile(file));
  SetIoFaultHook({});
  _lclose(file);
  EXPECT_EQ(asked, (std::vector<IoOperation>{IoOperation::Remove, IoOperation::Flush,
                                             IoOperation::Write, IoOperation::Truncate,
                                             IoOperation::Write, IoOperation::Flush}));
  EXPECT_EQ(ReadFileBytes(path), before);
  EXPECT_NE(access(dir.File("new").c_str(), F_OK), 0);
  EXPECT_TRUE(RemoveFile(path));
  EXPECT_FALSE(RemoveFile(path)) << "already gone";
}

}  // namespace
