// What the open modes and new files mean where locks are advisory, a mapping
// needs no descriptor, and names can be links.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/durable_files.h"
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
