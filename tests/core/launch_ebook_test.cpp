#include "ebook/launch_ebook.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::RecordingUserInterface;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

// Each failed start names the path as given and says why, in one message.
TEST(LaunchEBookTest, FailedStartsSayWhy) {
  TempDir dir;
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
  };
  for (const auto& [path, message] : cases) {
    RecordingUserInterface recorder;
    EXPECT_FALSE(ebook::LaunchEBook(path, ebook::SW_SHOWNORMAL));
    ASSERT_EQ(recorder.messages.size(), 1u) << path;
    EXPECT_EQ(recorder.messages[0].text, message);
    EXPECT_EQ(recorder.messages[0].icon, platform::MessageIcon::Exclamation);
  }
}

TEST(LaunchEBookTest, StartedProgramShowsNothing) {
  RecordingUserInterface recorder;
  EXPECT_TRUE(ebook::LaunchEBook("/bin/true", ebook::SW_SHOWNORMAL));
  EXPECT_TRUE(recorder.messages.empty());
}

}  // namespace
