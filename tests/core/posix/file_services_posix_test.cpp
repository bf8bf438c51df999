// What the open modes and new files mean where locks are advisory, a mapping
// needs no descriptor, and names can be links.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/durable_files.h"
#include "platform/posix/open_elsewhere.h"
#include "tests/core/file_services_fixture.h"
#include "tests/core/other_process.h"

namespace file_testing {

using namespace platform;

std::vector<std::string> NonFiles(const testing_support::TempDir& dir) {
  const std::string fifo = dir.File("fifo");
  EXPECT_EQ(mkfifo(fifo.c_str(), 0644), 0);  // without a writer, a plain open would block
  return {fifo};
}

namespace {

TEST_F(FileServicesTest, OurOwnDescriptorsDoNotCountAndPlainOpenersAreNotKeptOut) {
  const int own = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(own, 0);
  const HFILE held = _lopen(path, OF_EXCLUSIVE_READWRITE);
  EXPECT_NE(held, HFILE_ERROR);
  close(own);
  EXPECT_TRUE(testing_support::OtherProcess(testing_support::OpensPlainly(path)).Ready())
      << "the lock is advisory";
  _lclose(held);
}

TEST_F(FileServicesTest, AMappingWithoutADescriptorKeepsExclusiveOut) {
  testing_support::OtherProcess mapping({testing_support::ChildProgramPath(), {"map", path}});
  ASSERT_TRUE(mapping.Ready());
  EXPECT_TRUE(Opens(path, OF_SHARED_READ));
  EXPECT_FALSE(Opens(path, OF_EXCLUSIVE_READWRITE));
  mapping.Stop();
  EXPECT_TRUE(Opens(path, OF_EXCLUSIVE_READWRITE));
}

// Where the kernel grants no lease, a walk of every other process decides.
TEST_F(FileServicesTest, TheScanFindsADescriptorOrAMappingElsewhereButNotOurOwn) {
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  const int own = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  EXPECT_FALSE(posix::FoundByScan(st.st_dev, st.st_ino));
  close(own);
  const std::vector<testing_support::ChildCommand> holders = {
      testing_support::OpensPlainly(path), {testing_support::ChildProgramPath(), {"map", path}}};
  for (const auto& command : holders) {
    testing_support::OtherProcess holder(command);
    ASSERT_TRUE(holder.Ready()) << command.arguments[0];
    EXPECT_TRUE(posix::FoundByScan(st.st_dev, st.st_ino)) << command.arguments[0];
  }
}

TEST_F(FileServicesTest, NewFileIsNeverALinkAndIsItsOwnersOnly) {
  ASSERT_EQ(symlink(path.c_str(), dir.File("link").c_str()), 0);
  ASSERT_EQ(symlink(dir.File("nowhere").c_str(), dir.File("dangling").c_str()), 0);
  for (const std::string& name : {dir.File("link"), dir.File("dangling")}) {
    EXPECT_EQ(CreateNewFile(name), HFILE_ERROR) << name;
  }
  EXPECT_NE(access(dir.File("nowhere").c_str(), F_OK), 0);
  const HFILE file = CreateNewFile(dir.File("new"));
  ASSERT_NE(file, HFILE_ERROR);
  _lclose(file);
  struct stat st;
  ASSERT_EQ(stat(dir.File("new").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace file_testing
