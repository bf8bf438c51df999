#include "platform/program_start.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/support/temp_dir.h"

namespace {

using namespace platform;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

// Waits (boundedly) for the started program to leave its report.
std::string WaitForFile(const std::string& path) {
  for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return ReadFileBytes(path);
}

TEST(ProgramStartTest, StartsTheProgramItselfDetachedWithNoInheritedDescriptors) {
  TempDir dir;
  // Spaces and shell characters in the folder must not matter: nothing parses the path.
  const std::string folder = dir.File("my books; echo oops &");
  std::filesystem::create_directory(folder);
  const std::string program = folder + "/fd reporter";
  std::filesystem::copy_file(FD_REPORTER, program);
  std::string standard;  // whatever of 0, 1 and 2 the test runner gave us
  for (int fd = 0; fd < 3; ++fd) {
    if (fcntl(fd, F_GETFD) != -1) standard += std::to_string(fd) + ' ';
  }
  const int opened = open("/dev/null", O_RDONLY);
  const int leaked = fcntl(opened, F_DUPFD, 3);  // deliberately not close-on-exec
  close(opened);
  ASSERT_GE(leaked, 3);

  EXPECT_GT(WinExec(program, 1), 31u);
  close(leaked);
  EXPECT_EQ(WaitForFile(program + ".fds"), standard);
  int status;
  EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1) << "no child is left to wait for";
}

TEST(ProgramStartTest, FailuresSayWhy) {
  TempDir dir;
  EXPECT_EQ(WinExec(dir.File("missing"), 1), kStartFileNotFound);
  EXPECT_EQ(WinExec(dir.File("no folder/program"), 1), kStartPathNotFound);

  const std::string plain = dir.File("not executable");
  WriteFileBytes(plain, "#!/bin/sh\n");
  EXPECT_EQ(WinExec(plain, 1), kStartAccessDenied);

  const std::string garbage = dir.File("garbage");
  WriteFileBytes(garbage, "this is not a program");
  chmod(garbage.c_str(), 0755);
  EXPECT_EQ(WinExec(garbage, 1), kStartBadFormat);

  EXPECT_EQ(WinExec(dir.Path(), 1), kStartAccessDenied);
}

}  // namespace
