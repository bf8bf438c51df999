// What the open modes and new files mean where sharing is decided per handle
// and device names lie in every folder.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/durable_files.h"
#include "tests/core/file_services_fixture.h"
#include "tests/core/other_process.h"

namespace file_testing {

using namespace platform;

std::vector<std::string> NonFiles(const testing_support::TempDir& dir) {
  return {dir.File("NUL"), dir.File("CON"), dir.File("COM1"), dir.File("nul.exe")};
}

namespace {

TEST_F(FileServicesTest, EveryOtherHandleCountsOursTooAndExclusiveKeepsEveryOpenerOut) {
  std::FILE* own = std::fopen(path.c_str(), "rb");
  ASSERT_NE(own, nullptr);
  EXPECT_FALSE(Opens(path, OF_EXCLUSIVE_READWRITE)) << "our own plain handle";
  EXPECT_TRUE(Opens(path, OF_SHARED_READ));
  std::fclose(own);
  const HFILE held = _lopen(path, OF_EXCLUSIVE_READWRITE);
  ASSERT_NE(held, HFILE_ERROR);
  EXPECT_FALSE(Opens(path, OF_SHARED_READ)) << "our own exclusive handle";
  EXPECT_FALSE(testing_support::OtherProcess(testing_support::OpensPlainly(path)).Ready());
  _lclose(held);
}

}  // namespace
}  // namespace file_testing
