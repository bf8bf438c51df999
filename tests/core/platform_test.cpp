// The platform's file services and program start. The two open modes against
// our own handles and real second processes, and what a crash-safe store needs
// beyond them: sharing is decided per handle on Windows; elsewhere locks are
// advisory, a mapping needs no descriptor, and names can be links. A failed
// start of the E-Book names the path as given and says why, in one message.
#include <fcntl.h>

#include <memory>

#include "ebook/launch_ebook.h"
#include "platform/durable_files.h"
#include "tests/core/ebook_fixture.h"

#ifdef _WIN32
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ebook_testing {
namespace {

constexpr bool kWindows = kPathSeparator == '\\';

// Whether an open in the given mode succeeds right now; closes at once.
bool Opens(const Path& path, int mode) {
  const HFILE file = _lopen(path, mode);
  if (file != HFILE_ERROR) _lclose(file);
  return file != HFILE_ERROR;
}

// A copy of the test child program, so that it can also run.
class FileServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(ChildProgramPath(), path);
    fs::permissions(path, fs::perms::owner_exec, fs::perm_options::add);
  }
  TempDir dir;
  Path path = dir.File("book.exe");
};

TEST_F(FileServicesTest, AnotherProcessKeepsExclusiveOutAndOnlyItsExclusiveKeepsReadersOut) {
  std::vector<std::pair<ChildCommand, bool>> holders = {
      {OpensPlainly(path), true},
      {Runs(path), true},
      {LOpens(path, OF_SHARED_READ), true},
      {LOpens(path, OF_EXCLUSIVE_READWRITE), false}};
  if (!kWindows) holders.push_back({{ChildProgramPath(), "map", TextFromPath(path)}, true});
  for (const auto& [take, sharedReadOpens] : holders) {
    SCOPED_TRACE(take[1]);
    OtherProcess other(take);
    ASSERT_TRUE(other.Ready());
    EXPECT_EQ(std::make_pair(Opens(path, OF_SHARED_READ), Opens(path, OF_EXCLUSIVE_READWRITE)),
              std::make_pair(sharedReadOpens, false));
    other.Kill();
    EXPECT_TRUE(Opens(path, OF_EXCLUSIVE_READWRITE)) << "the other process alone was in the way";
  }
}

TEST_F(FileServicesTest, OurExclusiveKeepsOthersOutAndOurPlainHandleCountsOnlyOnWindows) {
  auto own = std::make_unique<std::ifstream>(fs::path(path), std::ios::binary);
  EXPECT_EQ(std::make_pair(Opens(path, OF_EXCLUSIVE_READWRITE), Opens(path, OF_SHARED_READ)),
            std::make_pair(!kWindows, true));
  own.reset();
  const HFILE held = _lopen(path, OF_EXCLUSIVE_READWRITE);
  if (kWindows) {
    EXPECT_FALSE(Opens(path, OF_SHARED_READ)) << "our own exclusive handle";
  }
  EXPECT_FALSE(OtherProcess(LOpens(path, OF_SHARED_READ)).Ready());
  EXPECT_FALSE(OtherProcess(LOpens(path, OF_EXCLUSIVE_READWRITE)).Ready());
  EXPECT_EQ(OtherProcess(OpensPlainly(path)).Ready(), !kWindows) << "locks are advisory";
  _lclose(held);
}

// A journal's name must never lead a write to another file.
TEST_F(FileServicesTest, ExclusiveNeedsAWritableFileAndANewFileIsNeverAnythingThatIsThere) {
  SetReadOnly(path, true);
  EXPECT_FALSE(Opens(path, OF_EXCLUSIVE_READWRITE)) << "even to a privileged user";
  EXPECT_TRUE(Opens(path, OF_SHARED_READ));
  // Names that open something other than a regular file (a fifo would block a
  // plain open without a writer), and links, where a new file must not be made.
  std::vector<Path> others = {dir.File("NUL"), dir.File("CON"), dir.File("nul.exe")};
#ifndef _WIN32
  others = {dir.File("fifo"), dir.File("link"), dir.File("dangling")};
  ASSERT_EQ(mkfifo(others[0].c_str(), 0644) + symlink(path.c_str(), others[1].c_str()) +
                symlink(dir.File("nowhere").c_str(), others[2].c_str()),
            0);
#endif
  for (const Path& name : {others[0], dir.Path(), dir.File("missing"), Path()}) {
    EXPECT_FALSE(Opens(name, OF_SHARED_READ)) << name;
    EXPECT_FALSE(Opens(name, OF_EXCLUSIVE_READWRITE)) << name;
  }
  others.push_back(path);
  for (const Path& name : others) EXPECT_EQ(CreateNewFile(name), HFILE_ERROR) << name;
  EXPECT_EQ(ReadFileBytes(path), ReadFileBytes(ChildProgramPath()));
  EXPECT_FALSE(fs::exists(dir.File("nowhere")));
  _lclose(CreateNewFile(dir.File("new")));
  if (!kWindows) {
    EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write,
              fs::status(dir.File("new")).permissions());
  }
}

TEST_F(FileServicesTest, EveryChangeAsksTheHookAndFailsCleanly) {
  const HFILE file = _lopen(path, OF_EXCLUSIVE_READWRITE);
  std::vector<IoOperation> asked;
  SetIoFaultHook([&](IoOperation operation) { return asked.push_back(operation), false; });
  EXPECT_FALSE(RemoveFile(path));
  EXPECT_FALSE(FlushFolder(dir.Path()));
  EXPECT_FALSE(SetFileLength(file, 1));
  EXPECT_FALSE(FlushFile(file));
  EXPECT_EQ(HFILE_ERROR, CreateNewFile(dir.File("new")));
  EXPECT_EQ(HFILE_ERROR, _lwrite(file, "x", 1));
  SetIoFaultHook({});
  // A flush puts what was gathered into the file, before it closes.
  ASSERT_EQ(3, _lwrite(file, "new", 3));
  EXPECT_TRUE(FlushFile(file));
  if (!kWindows) {
    EXPECT_EQ("new", ReadFileBytes(path).substr(0, 3));
  }
  _lclose(file);
  EXPECT_EQ(asked, (std::vector<IoOperation>{IoOperation::Remove, IoOperation::Flush,
                                             IoOperation::Truncate, IoOperation::Flush,
                                             IoOperation::Write, IoOperation::Write}));
  EXPECT_EQ(ReadFileBytes(path), "new" + ReadFileBytes(ChildProgramPath()).substr(3));
  EXPECT_FALSE(fs::exists(dir.File("new")));
}

TEST_F(FileServicesTest, FailedStartsSayWhy) {
  WriteFileBytes(path, "not a program");
  const Path missingFolder = dir.File("no") + kPathSeparator + PathFromUtf8("where.exe");
  const std::pair<Path, std::string> cases[] = {
      {dir.File("gone.exe"), "Can't start %, as the file was not found."},
      {missingFolder, "Can't start %, as the path was not found."},
      {path, "Can't start %, the program appears to be corrupted or invalid."},
      {dir.Path(), "Unable to start %"},  // any other failure
  };
  for (auto [started, message] : cases) {
    RecordingUserInterface recorder;
    EXPECT_FALSE(ebook::LaunchEBook(started, ebook::SW_SHOWNORMAL));
    ASSERT_EQ(recorder.messages.size(), 1u) << started;
    EXPECT_EQ(std::tie(recorder.messages[0].text, recorder.messages[0].icon),
              std::make_tuple(message.replace(message.find('%'), 1, TextFromPath(started)),
                              MessageIcon::Exclamation));
  }
}

#ifndef _WIN32  // Windows passes no descriptor that was not asked for
// The program itself, its path one argument whatever it holds, and none of
// our descriptors: one it inherited would keep our exclusive open out. Deep
// in folders, it still knows its whole path.
TEST_F(FileServicesTest, StartedProgramGetsItsPathAloneInheritsNothingAndKnowsItsPath) {
  Path folder = dir.File("my books & more; echo oops");
  while (folder.size() < 400) folder += kPathSeparator + std::string(50, 'd');
  fs::create_directories(folder);
  const Path program = folder + kPathSeparator + PathFromUtf8("test child.exe");
  fs::copy_file(path, program);
  const Path probe = dir.File("probe"), report = program + ".report";
  WriteFileBytes(probe, "p");
  const int inheritable = open(probe.c_str(), O_RDONLY);  // not close-on-exec
  RecordingUserInterface recorder;
  EXPECT_TRUE(ebook::LaunchEBook(program, ebook::SW_SHOWNORMAL));
  close(inheritable);
  EXPECT_TRUE(recorder.messages.empty()) << recorder.messages.size() << " messages";
  // Waits on the started program, which reports once it runs.
  for (int i = 0; i < 1000 && !fs::exists(report); ++i) platform::Sleep(10);
  EXPECT_EQ(program + "\n" + program + "\n", ReadFileBytes(report))
      << "the path alone, as one argument, then the path the program knows";
  EXPECT_TRUE(Opens(probe, OF_EXCLUSIVE_READWRITE)) << "the program holds our descriptor";
  WriteFileBytes(program + ".done", "");
  for (int i = 0; i < 1000 && fs::exists(report); ++i) platform::Sleep(10);
}
#endif

}  // namespace
}  // namespace ebook_testing
