// Starting the E-Book where the command line is the program's to split and a
// started program could inherit handles.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "ebook/launch_ebook.h"
#include "tests/core/file_services_fixture.h"
#include "tests/core/other_process.h"
#include "tests/core/program_start_fixture.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

// After the platform headers: it defines macros with their names.
#include <windows.h>

namespace program_start_testing {

std::shared_ptr<void> RefuseToStart(const std::string& path) {
  std::filesystem::copy_file(testing_support::ChildProgramPath(), path);
  // Held without sharing: the system cannot even read it to start it.
  const HANDLE held =
      CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(held, INVALID_HANDLE_VALUE);
  return std::shared_ptr<void>(held, CloseHandle);
}

}  // namespace program_start_testing

namespace {

using testing_support::ReadFileBytes;

TEST(ProgramStartTest, StartsTheProgramItselfAsOneArgumentInheritingNoHandle) {
  testing_support::TempDir dir;
  // Blanks and shell characters in the folder must not matter.
  const std::string folder = dir.File("my books & more; echo oops");
  std::filesystem::create_directory(folder);
  const std::string program = folder + "\\test child.exe";
  std::filesystem::copy_file(testing_support::ChildProgramPath(), program);
  // Inheritable: a program that inherited it would still hold the file once
  // we have closed our handle.
  const std::string probe = dir.File("probe");
  testing_support::WriteFileBytes(probe, "p");
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  const HANDLE handle = CreateFileA(probe.c_str(), GENERIC_READ, FILE_SHARE_READ, &inheritable,
                                    OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);

  testing_support::RecordingUserInterface recorder;
  EXPECT_TRUE(ebook::LaunchEBook(program, SW_SHOWNORMAL));
  CloseHandle(handle);
  EXPECT_TRUE(recorder.messages.empty());
  const std::string report = program + ".report";
  for (int i = 0; i < 1000 && !std::filesystem::exists(report); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(ReadFileBytes(report), program + "\n") << "the path alone, as one argument";
  EXPECT_TRUE(file_testing::Opens(probe, platform::OF_EXCLUSIVE_READWRITE))
      << "the program holds the probe";
  testing_support::WriteFileBytes(program + ".done", "");
  std::error_code running;  // until it has ended, its file cannot go
  for (int i = 0; i < 500 && !std::filesystem::remove(program, running); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace
