// The file services: the two open modes against real second processes (one
// holding the file plainly or through the same modes, one running it),
// and what a crash-safe store needs beyond them.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/durable_files.h"
#include "platform/io_faults.h"
#include "tests/core/file_services_fixture.h"
#include "tests/core/other_process.h"

namespace file_testing {

using namespace platform;
using testing_support::OtherProcess;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

bool Opens(const std::string& path, int mode) {
  const HFILE file = _lopen(path, mode);
  if (file == HFILE_ERROR) return false;
  _lclose(file);
  return true;
}

void FileServicesTest::SetUp() {
  WriteFileBytes(path, ReadFileBytes(testing_support::ChildProgramPath()));
  std::filesystem::permissions(path, std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
}

namespace {

TEST_F(FileServicesTest, AnotherProcessKeepsExclusiveOutAndOnlyItsExclusiveKeepsReadersOut) {
  const struct {
    const char* what;
    testing_support::ChildCommand take;
    bool sharedReadOpens;
  } cases[] = {
      {"plain open", testing_support::OpensPlainly(path), true},
      {"running it", testing_support::Runs(path), true},
      {"shared read", testing_support::LOpens(path, OF_SHARED_READ), true},
      {"exclusive", testing_support::LOpens(path, OF_EXCLUSIVE_READWRITE), false},
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

TEST_F(FileServicesTest, OurExclusiveHandleKeepsOthersOut) {
  const HFILE held = _lopen(path, OF_EXCLUSIVE_READWRITE);
  ASSERT_NE(held, HFILE_ERROR);
  EXPECT_FALSE(OtherProcess(testing_support::LOpens(path, OF_SHARED_READ)).Ready());
  EXPECT_FALSE(OtherProcess(testing_support::LOpens(path, OF_EXCLUSIVE_READWRITE)).Ready());
  _lclose(held);
  EXPECT_TRUE(OtherProcess(testing_support::LOpens(path, OF_EXCLUSIVE_READWRITE)).Ready());
}

TEST_F(FileServicesTest, ExclusiveNeedsAWritableRegularFileAndOnlyTheTwoModesExist) {
  testing_support::SetReadOnly(path, true);
  EXPECT_FALSE(Opens(path, OF_EXCLUSIVE_READWRITE)) << "even to a privileged user";
  EXPECT_TRUE(Opens(path, OF_SHARED_READ));
  EXPECT_FALSE(Opens(path, 0));
  std::vector<std::string> names = NonFiles(dir);
  names.insert(names.end(), {dir.Path(), dir.File("missing"), std::string()});
  for (int mode : {OF_SHARED_READ, OF_EXCLUSIVE_READWRITE}) {
    for (const std::string& name : names) EXPECT_FALSE(Opens(name, mode)) << mode << " " << name;
  }
}

// A journal's name must never lead a write to another file.
TEST_F(FileServicesTest, NewFileIsNeverAnythingThatIsThere) {
  std::vector<std::string> names = NonFiles(dir);
  names.insert(names.end(), {path, dir.Path()});
  for (const std::string& name : names) {
    const HFILE file = CreateNewFile(name);
    EXPECT_EQ(file, HFILE_ERROR) << name;
    if (file != HFILE_ERROR) _lclose(file);
  }
  EXPECT_EQ(ReadFileBytes(path), ReadFileBytes(testing_support::ChildProgramPath()));
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
  EXPECT_FALSE(std::filesystem::exists(dir.File("new")));
  EXPECT_TRUE(RemoveFile(path));
  EXPECT_FALSE(RemoveFile(path)) << "already gone";
}

}  // namespace
}  // namespace file_testing
