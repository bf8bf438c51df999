// What the file services promise of positions and lengths: seeks that would
// not fit fail in place, short reads only at the end, the length a handle
// knows without asking the system, and length changes.
#include <climits>
#include <fstream>

#include "platform/durable_files.h"
#include "tests/core/ebook_fixture.h"

namespace ebook_testing {
namespace {

constexpr int32_t kLength = 100;
constexpr int32_t kStart = 10;  // where each seek starts from

// A seek from kStart in a file of kLength bytes, what it returns and where
// the handle is afterwards.
struct SeekCase {
  const char* name;
  int32_t offset;
  int origin;
  int32_t result;
  int32_t positionAfter;
};
class FilePositionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFileBytes(path, std::string(kLength, 'b'));
    file = _lopen(path, OF_EXCLUSIVE_READWRITE);
    ASSERT_NE(HFILE_ERROR, file);
  }
  void TearDown() override { _lclose(file); }
  int32_t Position() { return _llseek(file, 0, FILE_CURRENT); }
  TempDir dir;
  Path path = dir.File("file");
  HFILE file = HFILE_ERROR;
};

class SeekTest : public FilePositionsTest, public ::testing::WithParamInterface<SeekCase> {};

TEST_P(SeekTest, SeekGivesTheNewPositionOrFailsWhereItWas) {
  ASSERT_EQ(kStart, _llseek(file, kStart, FILE_BEGIN));
  EXPECT_EQ(GetParam().result, _llseek(file, GetParam().offset, GetParam().origin));
  EXPECT_EQ(GetParam().positionAfter, Position());
}
const SeekCase kSeeks[] = {
    {"FromTheBeginning", 5, FILE_BEGIN, 5, 5},
    {"FromThePosition", 5, FILE_CURRENT, kStart + 5, kStart + 5},
    {"FromTheEnd", -4, FILE_END, kLength - 4, kLength - 4},
    {"PastTheEnd", 50, FILE_END, kLength + 50, kLength + 50},
    {"BeforeTheStart", -kStart - 1, FILE_CURRENT, HFILE_ERROR, kStart},
    {"PastTheLastPosition", INT32_MAX - kStart + 1, FILE_CURRENT, HFILE_ERROR, kStart},
    {"ToTheLastPosition", INT32_MAX - kStart, FILE_CURRENT, INT32_MAX, INT32_MAX},
    {"NoSuchOrigin", 0, 3, HFILE_ERROR, kStart},
};
INSTANTIATE_TEST_SUITE_P(Seek, SeekTest, ::testing::ValuesIn(kSeeks),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FilePositionsTest, ReadIsShortOnlyAtTheEnd) {
  char buffer[kLength];
  ASSERT_EQ(kLength - 4, _llseek(file, kLength - 4, FILE_BEGIN));
  EXPECT_EQ(4, _lread(file, buffer, sizeof buffer));
  EXPECT_EQ(0, _lread(file, buffer, sizeof buffer));
}

TEST_F(FilePositionsTest, NoHandleMovesNothing) {
  char buffer[1] = {'x'};
  const HFILE none = file + 1000;
  EXPECT_EQ(HFILE_ERROR, _lread(none, buffer, 1));
  EXPECT_EQ(HFILE_ERROR, _lwrite(none, buffer, 1));
  EXPECT_EQ(HFILE_ERROR, _llseek(none, 0, FILE_BEGIN));
  EXPECT_EQ(-1, BytesLeft(none));
  EXPECT_FALSE(SetFileLength(none, 1));
  EXPECT_EQ(HFILE_ERROR, _lclose(none));
}

// The length at open, grown by the handle's own writes; another writer's
// growth shows only after a seek from the end.
TEST_F(FilePositionsTest, BytesLeftKnowsOnlyWhatTheHandleSaw) {
  ASSERT_EQ(kStart, _llseek(file, kStart, FILE_BEGIN));
  EXPECT_EQ(kLength - kStart, BytesLeft(file));
  ASSERT_EQ(kLength, _llseek(file, kLength, FILE_BEGIN));
  ASSERT_EQ(3, _lwrite(file, "abc", 3));
  EXPECT_EQ(0, BytesLeft(file));
  ASSERT_EQ(kLength, _llseek(file, kLength, FILE_BEGIN));
  EXPECT_EQ(3, BytesLeft(file));
#ifndef _WIN32  // where an exclusive handle keeps no plain writer out
  std::ofstream(fs::path(path), std::ios::app | std::ios::binary) << "grown";
  EXPECT_EQ(3, BytesLeft(file)) << "the system was asked";
  ASSERT_EQ(kLength + 3 + 5, _llseek(file, 0, FILE_END));
#endif
}

// A negative length is refused and changes nothing.
TEST_F(FilePositionsTest, SetFileLengthCutsOrExtendsAndThePositionStays) {
  ASSERT_EQ(kStart, _llseek(file, kStart, FILE_BEGIN));
  for (int32_t length : {kLength / 2, kLength * 2, -1}) {
    EXPECT_EQ(length >= 0, SetFileLength(file, length)) << length;
    EXPECT_EQ(kStart, Position());
    ASSERT_TRUE(FlushFile(file));
    EXPECT_EQ(uintmax_t(length >= 0 ? length : kLength * 2), fs::file_size(path)) << length;
  }
}

// For the tools: an existing file is emptied; on POSIX the mode is the one asked for.
TEST_F(FilePositionsTest, CreateEmptiesAnExistingFileWithTheModeAskedFor) {
  const HFILE created = _lcreat(dir.File("made"), 0600);
  ASSERT_EQ(3, _lwrite(created, "abc", 3));
  _lclose(created);
  _lclose(_lcreat(dir.File("made"), 0600));
  EXPECT_EQ("", ReadFileBytes(dir.File("made")));
  if (kPathSeparator == '/') {
    EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write,
              fs::status(dir.File("made")).permissions());
  }
}

}  // namespace
}  // namespace ebook_testing
