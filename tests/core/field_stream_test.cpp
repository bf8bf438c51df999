#include "formats/field_stream.h"

#include <gtest/gtest.h>

#include <climits>

#include "tests/support/temp_dir.h"

namespace {

using namespace formats;
using namespace platform;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

// An open file over given bytes, closed at the end of the test.
class FileFixture : public ::testing::Test {
 protected:
  HFILE Open(const std::string& bytes, int mode = OF_EXCLUSIVE_READWRITE) {
    if (file != HFILE_ERROR) _lclose(file);
    WriteFileBytes(path, bytes);
    file = _lopen(path, mode);
    EXPECT_NE(file, HFILE_ERROR);
    return file;
  }
  ~FileFixture() override {
    if (file != HFILE_ERROR) _lclose(file);
  }
  int32_t Position() { return _llseek(file, 0, FILE_CURRENT); }

  TempDir dir;
  std::string path = dir.File("data");
  HFILE file = HFILE_ERROR;
};

using FieldStreamTest = FileFixture;

TEST_F(FieldStreamTest, StoredFormsMatchHandComputedBytes) {
  Open("");
  ASSERT_TRUE(WriteInt(file, 1));
  ASSERT_TRUE(WriteInt(file, -1));
  ASSERT_TRUE(WriteString(file, "AB"));
  ASSERT_TRUE(WriteString(file, ""));
  CFieldStream stream(CFieldStream::kWrite, file);
  char raw[] = {'A', 0};
  ASSERT_TRUE(stream.TransferRaw(raw, 2));
  _lclose(file);
  file = HFILE_ERROR;
  // 1 ^ 0x93939393 little-endian; -1 gives the inverted mask; "AB" is length 2 then 'A'^0x93,
  // 'B'^0x93.
  const std::string expected(
      "\x92\x93\x93\x93"
      "\x6c\x6c\x6c\x6c"
      "\x91\x93\x93\x93\xd2\xd1"
      "\x93\x93\x93\x93"
      "A\0",
      20);
  EXPECT_EQ(ReadFileBytes(path), expected);
}

TEST_F(FieldStreamTest, IntegersAndStringsRoundTrip) {
  Open("");
  const int32_t values[] = {0, 1, -1, INT32_MIN, INT32_MAX, 0x12345678, -0x6c6c6c6d};
  for (int32_t v : values) ASSERT_TRUE(WriteInt(file, v));
  const std::string texts[] = {"", "x", "Hello, world", std::string(300, '\x93'), "\xff\x80 bytes"};
  for (const auto& t : texts) ASSERT_TRUE(WriteString(file, t));
  ASSERT_EQ(_llseek(file, 0, FILE_BEGIN), 0);
  for (int32_t v : values) {
    int32_t read = 7;
    ASSERT_TRUE(ReadInt(file, read));
    EXPECT_EQ(read, v);
  }
  for (const auto& t : texts) {
    std::string read = "junk";
    ASSERT_TRUE(ReadString(file, read));
    EXPECT_EQ(read, t);
  }
  int32_t atEnd = 7;
  EXPECT_FALSE(ReadInt(file, atEnd));
  EXPECT_EQ(atEnd, 0) << "a read that delivered nothing yields 0";
}

TEST_F(FieldStreamTest, ShortReadsFail) {
  Open(std::string("\x90\x93", 2));
  int32_t value = 0;
  EXPECT_FALSE(ReadInt(file, value));

  // A string whose length promises more bytes than follow.
  Open(std::string("\x96\x93\x93\x93\xd2\xd1", 6));  // length 5, two bytes
  std::string text = "old";
  EXPECT_FALSE(ReadString(file, text));

  Open("ab");
  char buffer[4];
  CFieldStream stream(CFieldStream::kRead, file);
  EXPECT_FALSE(stream.TransferRaw(buffer, 4));
}

TEST_F(FieldStreamTest, ZeroByteCutsStringButStreamAdvancesPastAllBytes) {
  Open("");
  ASSERT_TRUE(WriteString(file, std::string("ab\0cd", 5)));
  ASSERT_TRUE(WriteInt(file, 42));
  _llseek(file, 0, FILE_BEGIN);
  std::string text;
  EXPECT_TRUE(ReadString(file, text));
  EXPECT_EQ(text, "ab");
  EXPECT_EQ(Position(), 9);
  int32_t next = 0;
  ASSERT_TRUE(ReadInt(file, next));
  EXPECT_EQ(next, 42);
}

TEST_F(FieldStreamTest, MarkerMismatchFailsAndConsumesFourBytes) {
  Open("");
  ASSERT_TRUE(WriteMagic(file, 0x11223344));
  _llseek(file, 0, FILE_BEGIN);
  EXPECT_FALSE(ReadMagic(file, 0x11223345));
  EXPECT_EQ(Position(), 4);
  _llseek(file, 0, FILE_BEGIN);
  EXPECT_TRUE(ReadMagic(file, 0x11223344));
}

TEST_F(FieldStreamTest, HostileStringLengthsFailWithoutReading) {
  Open("");
  ASSERT_TRUE(WriteInt(file, INT32_MAX));
  ASSERT_TRUE(WriteBytes(file, "abc", 3));
  ASSERT_TRUE(WriteInt(file, -5));
  _llseek(file, 0, FILE_BEGIN);
  std::string text = "old";
  EXPECT_FALSE(ReadString(file, text));  // would need 2 GiB; only 7 bytes are left
  EXPECT_TRUE(text.empty());
  EXPECT_EQ(Position(), 4) << "nothing past the length is read";
  _llseek(file, 7, FILE_BEGIN);
  EXPECT_FALSE(ReadString(file, text));
  EXPECT_EQ(Position(), 11);

  // A length exactly equal to what is left is fine.
  Open("");
  ASSERT_TRUE(WriteString(file, "xyz"));
  _llseek(file, 0, FILE_BEGIN);
  EXPECT_TRUE(ReadString(file, text));
  EXPECT_EQ(text, "xyz");
}

TEST_F(FieldStreamTest, WritesFailOnReadOnlyHandle) {
  Open("abcd", OF_SHARED_READ);
  EXPECT_FALSE(WriteInt(file, 1));
  EXPECT_FALSE(WriteString(file, "abc"));
  EXPECT_FALSE(WriteString(file, ""));
  EXPECT_TRUE(WriteBytes(file, "", 0)) << "an empty run writes nothing and succeeds";
}

}  // namespace
