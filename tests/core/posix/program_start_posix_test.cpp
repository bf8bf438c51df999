// Starting the E-Book where a started program could inherit descriptors and
// be left for its starter to wait for; a started program knows its whole path.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "ebook/launch_ebook.h"
#include "platform/program_start.h"
#include "tests/core/other_process.h"
#include "tests/core/program_start_fixture.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace program_start_testing {

std::shared_ptr<void> RefuseToStart(const std::string& path) {
  testing_support::WriteFileBytes(path, "#!/bin/sh\n");
  chmod(path.c_str(), 0644);  // not executable
  return nullptr;
}

}  // namespace program_start_testing

namespace {

using testing_support::RecordingUserInterface;
using testing_support::WriteFileBytes;

TEST(ProgramStartTest, StartsTheProgramItselfDetachedWithNoInheritedDescriptors) {
  testing_support::TempDir dir;
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

  RecordingUserInterface recorder;
  EXPECT_TRUE(ebook::LaunchEBook(program, ebook::SW_SHOWNORMAL));
  close(leaked);
  EXPECT_TRUE(recorder.messages.empty());
  const std::string report = program + ".fds";
  for (int i = 0; i < 500 && !std::filesystem::exists(report); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // until it is written
  EXPECT_EQ(testing_support::ReadFileBytes(report), standard);
  int status;
  EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1) << "no child is left to wait for";
}

// Only here: Windows, and Wine, start no program from a path longer than
// MAX_PATH.
TEST(ModulePathTest, ProgramInADeepFolderKnowsItsWholePath) {
  testing_support::TempDir dir;
  std::string folder = dir.Path();
  while (folder.size() < 400) folder += '/' + std::string(50, 'd');
  std::filesystem::create_directories(folder);
  const std::string program = folder + "/child";
  std::filesystem::copy_file(testing_support::ChildProgramPath(), program);
  EXPECT_EQ(testing_support::OtherProcess({program, {"path"}}, false).Wait(), 0);
}

}  // namespace
