// Starting the E-Book: detached, inheriting nothing, or saying why not.
#include "platform/program_start.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "ebook/launch_ebook.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

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

// Each failed start names the path as given and says why, in one message.
TEST(ProgramStartTest, FailedStartsSayWhy) {
  testing_support::TempDir dir;
  const std::string garbage = dir.File("garbage");
  WriteFileBytes(garbage, "not a program");
  chmod(garbage.c_str(), 0755);
  const std::string locked = dir.File("locked");
  WriteFileBytes(locked, "#!/bin/sh\n");
  chmod(locked.c_str(), 0644);
  const std::pair<std::string, std::string> cases[] = {
      {dir.File("gone"), "Can't start " + dir.File("gone") + ", as the file was not found."},
      {dir.File("no/where"),
       "Can't start " + dir.File("no/where") + ", as the path was not found."},
      {garbage, "Can't start " + garbage + ", the program appears to be corrupted or invalid."},
      {locked, "Unable to start " + locked},
      {dir.Path(), "Unable to start " + dir.Path()},
  };
  for (const auto& [path, message] : cases) {
    RecordingUserInterface recorder;
    EXPECT_FALSE(ebook::LaunchEBook(path, ebook::SW_SHOWNORMAL));
    ASSERT_EQ(recorder.messages.size(), 1u) << path;
    EXPECT_EQ(recorder.messages[0].text, message);
    EXPECT_EQ(recorder.messages[0].icon, platform::MessageIcon::Exclamation);
  }
}

}  // namespace
