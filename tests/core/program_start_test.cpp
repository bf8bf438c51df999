// Starting the E-Book: the program itself, its path as one argument whatever
// it holds, detached and inheriting nothing; each failed start names the path
// as given and says why, in one message.
#include "platform/program_start.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "ebook/launch_ebook.h"
#include "platform/file_io.h"
#include "platform/module_path.h"
#include "tests/core/other_process.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

// After the platform headers: it defines macros with their names.
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using namespace testing_support;
using platform::kPathSeparator;

// Makes `path` a program that cannot be started until the result goes.
std::shared_ptr<void> RefuseToStart(const std::string& path) {
#ifdef _WIN32
  std::filesystem::copy_file(ChildProgramPath(), path);
  // Held without sharing: the system cannot even read it to start it.
  const HANDLE held =
      CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  return std::shared_ptr<void>(held, CloseHandle);
#else
  WriteFileBytes(path, "#!/bin/sh\n");  // not executable
  return nullptr;
#endif
}

// Opens `path` so that a started program could inherit it; the result closes it.
std::shared_ptr<void> OpenInheritably(const std::string& path) {
#ifdef _WIN32
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  return std::shared_ptr<void>(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                           &inheritable, OPEN_EXISTING, 0, nullptr),
                               CloseHandle);
#else
  const int fd = open(path.c_str(), O_RDONLY);  // not close-on-exec
  return std::shared_ptr<void>(nullptr, [fd](void*) { close(fd); });
#endif
}

TEST(ProgramStartTest, FailedStartsSayWhy) {
  TempDir dir;
  const std::string garbage = dir.File("garbage.exe");
  WriteFileBytes(garbage, "not a program");
  std::filesystem::permissions(garbage, std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  const std::string missingFolder = dir.File("no") + kPathSeparator + "where.exe";
  const std::string refused = dir.File("refused.exe");
  const auto holder = RefuseToStart(refused);
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

TEST(ProgramStartTest, StartsTheProgramItselfAsOneArgumentInheritingNothing) {
  TempDir dir;
  // Blanks and shell characters in the folder must not matter.
  const std::string folder = dir.File("my books & more; echo oops");
  std::filesystem::create_directory(folder);
  const std::string program = folder + kPathSeparator + "test child.exe";
  std::filesystem::copy_file(ChildProgramPath(), program);
  // A program that inherited it would still hold the probe once we have
  // closed it.
  const std::string probe = dir.File("probe");
  WriteFileBytes(probe, "p");
  auto inheritable = OpenInheritably(probe);
  RecordingUserInterface recorder;
  EXPECT_TRUE(ebook::LaunchEBook(program, ebook::SW_SHOWNORMAL));
  inheritable.reset();
  EXPECT_TRUE(recorder.messages.empty());
  const std::string report = program + ".report";
  for (int i = 0; i < 1000 && !std::filesystem::exists(report); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(ReadFileBytes(report), program + "\n") << "the path alone, as one argument";
  EXPECT_NE(platform::_lclose(platform::_lopen(probe, platform::OF_EXCLUSIVE_READWRITE)),
            platform::HFILE_ERROR)
      << "the program holds the probe";
#ifndef _WIN32
  int status;
  EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1) << "no child is left to wait for";
#endif
  WriteFileBytes(program + ".done", "");
  std::error_code running;  // until it has ended, its file cannot go
  for (int i = 0;
       i < 500 && (std::filesystem::exists(report) || !std::filesystem::remove(program, running));
       ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

#ifndef _WIN32
// Only here: Windows, and Wine, start no program from a path longer than
// MAX_PATH.
TEST(ModulePathTest, ProgramInADeepFolderKnowsItsWholePath) {
  TempDir dir;
  std::string folder = dir.Path();
  while (folder.size() < 400) folder += '/' + std::string(50, 'd');
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(ChildProgramPath(), folder + "/child");
  EXPECT_EQ(OtherProcess({folder + "/child", "path"}, false).Wait(), 0);
}
#endif

}  // namespace
