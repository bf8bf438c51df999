// Starting the E-Book: each failed start names the path as given and says why,
// in one message.
#include "platform/program_start.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "ebook/launch_ebook.h"
#include "platform/module_path.h"
#include "tests/core/program_start_fixture.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::kPathSeparator;
using testing_support::RecordingUserInterface;
using testing_support::WriteFileBytes;

TEST(ProgramStartTest, FailedStartsSayWhy) {
  testing_support::TempDir dir;
  const std::string garbage = dir.File("garbage.exe");
  WriteFileBytes(garbage, "not a program");
  std::filesystem::permissions(garbage, std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  const std::string missingFolder = dir.File("no") + kPathSeparator + "where.exe";
  const std::string refused = dir.File("refused.exe");
  const auto holder = program_start_testing::RefuseToStart(refused);
  const std::pair<std::string, std::string> cases[] = {
      {dir.File("gone.exe"),
       "Can't start " + dir.File("gone.exe") + ", as the file was not found."},
      {missingFolder, "Can't start " + missingFolder + ", as the path was not found."},
      {garbage, "Can't start " + garbage + ", the program appears to be corrupted or invalid."},
      {refused, "Unable to start " + refused},
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
