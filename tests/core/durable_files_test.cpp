// The file services a crash-safe store is built on.
#include "platform/durable_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/io_faults.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace platform;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

TEST(DurableFilesTest, NewFileIsTheOwnersAloneAndNeverAnythingThatIsThere) {
  TempDir dir;
  const std::string path = dir.File("journal");
  const HFILE file = CreateNewFile(path);
  ASSERT_NE(file, HFILE_ERROR);
  EXPECT_EQ(_lwrite(file, "abc", 3), 3);
  EXPECT_TRUE(FlushFile(file));
  _lclose(file);
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  const std::string target = dir.File("target");
  WriteFileBytes(target, "keep");
  ASSERT_EQ(symlink(target.c_str(), dir.File("link").c_str()), 0);
  ASSERT_EQ(symlink(dir.File("nowhere").c_str(), dir.File("dangling").c_str()), 0);
  for (const std::string name : {"journal", "link", "dangling"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(CreateNewFile(dir.File(name)), HFILE_ERROR);
  }
  EXPECT_EQ(ReadFileBytes(path), "abc");
  EXPECT_EQ(ReadFileBytes(target), "keep");
  EXPECT_NE(access(dir.File("nowhere").c_str(), F_OK), 0);
}

TEST(DurableFilesTest, IdentityFollowsTheFileNotItsName) {
  TempDir dir;
  WriteFileBytes(dir.File("a"), "a");
  ASSERT_EQ(link(dir.File("a").c_str(), dir.File("also-a").c_str()), 0);
  WriteFileBytes(dir.File("b"), "a");
  FileIdentity ids[3];
  const char* names[] = {"a", "also-a", "b"};
  for (int i = 0; i < 3; ++i) {
    const HFILE file = _lopen(dir.File(names[i]), OF_SHARED_READ);
    ASSERT_NE(file, HFILE_ERROR);
    EXPECT_TRUE(GetFileIdentity(file, ids[i]));
    _lclose(file);
  }
  EXPECT_EQ(ids[0].inode, ids[1].inode);
  EXPECT_EQ(ids[0].device, ids[1].device);
  EXPECT_NE(ids[0].inode, ids[2].inode);
}

TEST(DurableFilesTest, RemovalAndFolderFlushAskTheHookAndFailCleanly) {
  TempDir dir;
  const std::string path = dir.File("file");
  WriteFileBytes(path, "x");
  EXPECT_TRUE(FlushFolder(dir.Path()));
  EXPECT_FALSE(FlushFolder(path)) << "not a folder";
  EXPECT_FALSE(FlushFolder(dir.File("missing")));

  std::vector<IoOperation> asked;
  SetIoFaultHook([&](IoOperation operation) {
    asked.push_back(operation);
    return false;
  });
  EXPECT_FALSE(RemoveFile(path));
  EXPECT_FALSE(FlushFolder(dir.Path()));
  EXPECT_EQ(CreateNewFile(dir.File("new")), HFILE_ERROR);
  SetIoFaultHook({});
  EXPECT_EQ(asked, (std::vector<IoOperation>{IoOperation::Remove, IoOperation::Flush,
                                             IoOperation::Write}));
  EXPECT_EQ(ReadFileBytes(path), "x");
  EXPECT_NE(access(dir.File("new").c_str(), F_OK), 0);

  EXPECT_TRUE(RemoveFile(path));
  EXPECT_FALSE(RemoveFile(path)) << "already gone";
}

}  // namespace
