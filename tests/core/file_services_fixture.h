// A file to open in the two modes: a copy of the test child program, so that
// it can also run.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_io.h"
#include "tests/support/temp_dir.h"

namespace file_testing {

// Whether an open in the given mode succeeds right now; closes at once.
bool Opens(const std::string& path, int mode);

class FileServicesTest : public ::testing::Test {
 protected:
  void SetUp() override;
  testing_support::TempDir dir;
  std::string path = dir.File("book.exe");
};

// Names in `dir` that open something other than a regular file; made as
// needed (posix/ and win32/).
std::vector<std::string> NonFiles(const testing_support::TempDir& dir);

}  // namespace file_testing
