// What the file services promise of positions and lengths: seeks that would
// not fit fail in place, and the length a handle knows without asking the
// system.
#include <climits>
#include <fstream>

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
  TempDir dir;
  Path path = dir.File("file");
  HFILE file = HFILE_ERROR;
};

class SeekTest : public FilePositionsTest, public ::testing::WithParamInterface<SeekCase> {};

TEST_P(SeekTest, SeekGivesTheNewPositionOrFailsWhereItWas) {
  ASSERT_EQ(kStart, _llseek(file, kStart, FILE_BEGIN));
  EXPECT_EQ(GetParam().result, _llseek(file, GetParam().offset, GetParam().origin));
  EXPECT_EQ(GetParam().positionAfter, _llseek(file, 0, FILE_CURRENT));
}
const SeekCase kSeeks[] = {
    {"PastTheEnd", 50, FILE_END, kLength + 50, kLength + 50},
    {"PastTheLastPosition", INT32_MAX - kStart + 1, FILE_CURRENT, HFILE_ERROR, kStart},
    {"ToTheLastPosition", INT32_MAX - kStart, FILE_CURRENT, INT32_MAX, INT32_MAX},
};
INSTANTIATE_TEST_SUITE_P(Seek, SeekTest, ::testing::ValuesIn(kSeeks),
                         [](const auto& info) { return std::string(info.param.name); });

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

}  // namespace
}  // namespace ebook_testing
