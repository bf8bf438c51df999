// The scrambled field primitives and the E-Book's records built on them, on
// real files.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "formats/ebook_trailer.h"
#include "formats/field_stream.h"
#include "formats/variable_table.h"
#include "tests/core/ebook_fixture.h"

namespace {

using namespace formats;
using namespace platform;
using namespace ebook_testing;

class RecordsTest : public ::testing::Test {
 protected:
  ~RecordsTest() override { Close(); }
  // Opens the file over `bytes` at `position`.
  void Open(const std::string& bytes, int32_t position = 0) {
    Close();
    WriteFileBytes(path, bytes);
    file = _lopen(path, OF_EXCLUSIVE_READWRITE);
    ASSERT_EQ(Seek(position), position);
  }
  // Closes the file and gives its bytes.
  std::string Bytes() {
    Close();
    return ReadFileBytes(path);
  }
  void Close() {
    if (file != HFILE_ERROR) _lclose(file);
    file = HFILE_ERROR;
  }
  int32_t Seek(int32_t position) { return _llseek(file, position, FILE_BEGIN); }
  int32_t Position() { return _llseek(file, 0, FILE_CURRENT); }
  bool Transfer(CEBookTrailer& trailer, int direction) {
    CFieldStream stream(direction, file);
    return trailer.Transfer(stream);
  }

  testing_support::TempDir dir;
  std::string path = dir.File("records");
  HFILE file = HFILE_ERROR;
};

// Integers XOR 0x93939393 little-endian; string bytes XOR 0x93 behind their
// length; raw bytes as they are. A text ends at its first zero byte once
// unmasked, yet all its bytes are read.
TEST_F(RecordsTest, FieldsHaveTheirHandComputedBytesAndReadBack) {
  Open("");
  ASSERT_TRUE(WriteInt(file, 1) && WriteInt(file, -1) && WriteString(file, "AB") &&
              WriteString(file, "") &&
              WriteString(file, std::string("\x93"
                                            "a\0b",
                                            4)));
  char raw[] = {'A', 0};
  ASSERT_TRUE(CFieldStream(CFieldStream::kWrite, file).TransferRaw(raw, 2));
  const std::string bytes = Bytes();
  EXPECT_EQ(bytes, std::string("\x92\x93\x93\x93\x6c\x6c\x6c\x6c\x91\x93\x93\x93\xd2\xd1\x93\x93"
                               "\x93\x93\x97\x93\x93\x93\x00\xf2\x93\xf1"
                               "A\0",
                               28));
  Open(bytes);
  int32_t one = 0, minusOne = 0;
  std::string ab, empty = "old", cut;
  EXPECT_TRUE(ReadInt(file, one) && ReadInt(file, minusOne) && ReadString(file, ab) &&
              ReadString(file, empty) && ReadString(file, cut));
  EXPECT_EQ(std::tie(one, minusOne, ab, empty, cut),
            std::make_tuple(1, -1, std::string("AB"), std::string(),
                            std::string("\x93"
                                        "a")));
  EXPECT_EQ(Position(), 26);
  EXPECT_TRUE(CFieldStream(CFieldStream::kRead, file).TransferRaw(raw, 2));
  EXPECT_FALSE(ReadInt(file, one));
  EXPECT_EQ(one, 0) << "a read that delivered nothing yields 0";
}

// Short fields fail; lengths of 2 GiB or below zero read nothing past the
// length.
TEST_F(RecordsTest, ShortOrHostileFieldsFailWithoutReadingOn) {
  const struct {
    std::string bytes;
    int kind;  // 0 int, 1 string, 2 four raw bytes
    int32_t endsAt;
  } cases[] = {
      {std::string("\x90\x93", 2), 0, 2},
      {std::string("\x96\x93\x93\x93\xd2\xd1", 6), 1, 4},  // length 5, two bytes follow
      {"ab", 2, 2},
      {Scrambled(INT32_MAX) + "abc", 1, 4},
      {Scrambled(-5) + "abcdef", 1, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    Open(c.bytes);
    int32_t value;
    std::string text = "old";
    char buffer[4];
    EXPECT_FALSE(c.kind == 0   ? ReadInt(file, value)
                 : c.kind == 1 ? ReadString(file, text)
                               : CFieldStream(CFieldStream::kRead, file).TransferRaw(buffer, 4));
    EXPECT_EQ(text, c.kind == 1 ? "" : "old");
    EXPECT_EQ(Position(), c.endsAt);
  }
}

TEST_F(RecordsTest, TrailerRoundTripIsByteExactWithTheIdentityUnmasked) {
  CEBookTrailer written = SampleTrailer("Book Id");
  written.m_nTableOffset = 1234;
  Open("prefix", 6);
  ASSERT_TRUE(Transfer(written, CFieldStream::kWrite));
  const std::string bytes = Bytes();
  ASSERT_EQ(bytes.size(), 6u + CEBookTrailer::kSize);
  EXPECT_EQ(bytes.substr(6 + 36, 8), std::string("Book Id\0", 8));
  CEBookTrailer read;
  Open(bytes, 6);
  ASSERT_TRUE(Transfer(read, CFieldStream::kRead));
  EXPECT_EQ(std::tie(read.m_nVersion, read.m_nTableOffset, read.m_nField3, read.m_nField8),
            std::make_tuple(kVersion, 1234, -3, -8888));
  EXPECT_EQ(read.GetId(), "Book Id");
  ASSERT_EQ(Seek(6), 6);
  ASSERT_TRUE(Transfer(read, CFieldStream::kWrite));
  EXPECT_EQ(Bytes(), bytes);
  // An identity without a zero byte is all 64 bytes.
  written.SetId(std::string(70, 'x'));
  Open("");
  ASSERT_TRUE(Transfer(written, CFieldStream::kWrite));
  ASSERT_EQ(Seek(0), 0);
  ASSERT_TRUE(Transfer(read, CFieldStream::kRead));
  EXPECT_EQ(read.GetId(), std::string(64, 'x'));
}

// A count of zero or less is an empty table that replaces what was there; a
// bad record marker keeps the records before it and reads no further.
TEST_F(RecordsTest, TableReadsItsHeaderAndRecordsUntilTheFirstFailure) {
  for (int32_t count : {0, -1, INT_MIN}) {
    Open(Scrambled(CVariableTable::kMarker) + Scrambled(1) + Scrambled(count));
    CVariableTable table = SampleTable();
    EXPECT_TRUE(table.Read(file));
    EXPECT_EQ(std::make_tuple(table.GetSize(), table.m_bRebranded), std::make_tuple(0, 1)) << count;
  }
  CVariableTable read;
  Open(EncodedTable(dir.File("table"), CVariableTable{}).substr(0, 10));
  EXPECT_FALSE(read.Read(file));
  std::string bytes = EncodedTable(dir.File("table"), SampleTable());
  CVariableTable one;
  one.Add(SampleTable()[0]);
  const size_t second = EncodedTable(dir.File("table"), one).size();
  bytes[second] ^= 0x01;
  Open(bytes);
  EXPECT_FALSE(read.Read(file));
  ASSERT_EQ(read.GetSize(), 1);
  EXPECT_EQ(read[0].m_strValue, "A Short Book");
  EXPECT_EQ(Position(), static_cast<int32_t>(second) + 4);
}

}  // namespace
