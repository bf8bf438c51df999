// The scrambled field primitives and the E-Book's records built on them, on
// real files.
#include <gtest/gtest.h>

#include <climits>

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
  // Opens the file over `bytes` at `position`.
  void Open(const std::string& bytes, int32_t position = 0) {
    Close();
    WriteFileBytes(path, bytes);
    file = _lopen(path, OF_EXCLUSIVE_READWRITE);
    ASSERT_NE(file, HFILE_ERROR);
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
  ~RecordsTest() override { Close(); }
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

TEST_F(RecordsTest, StoredFormsMatchHandComputedBytes) {
  Open("");
  ASSERT_TRUE(WriteInt(file, 1));
  ASSERT_TRUE(WriteInt(file, -1));
  ASSERT_TRUE(WriteString(file, "AB"));
  ASSERT_TRUE(WriteString(file, ""));
  char raw[] = {'A', 0};
  CFieldStream stream(CFieldStream::kWrite, file);
  ASSERT_TRUE(stream.TransferRaw(raw, 2));
  // Integers XOR 0x93939393 little-endian; string bytes XOR 0x93; raw bytes as they are.
  EXPECT_EQ(Bytes(), "\x92\x93\x93\x93\x6c\x6c\x6c\x6c\x91\x93\x93\x93\xd2\xd1\x93\x93\x93\x93" +
                         std::string("A\0", 2));
}

TEST_F(RecordsTest, AZeroByteCutsOnlyTheTextAndMaskedBytesAreNoZeros) {
  Open("");
  ASSERT_TRUE(WriteString(file, std::string("abcdefghij\0lmnopqrst", 20)));  // in the second word
  ASSERT_TRUE(WriteString(file, std::string(300, '\x93')));                  // stored as zero bytes
  ASSERT_TRUE(WriteInt(file, INT32_MIN));
  ASSERT_EQ(Seek(0), 0);
  std::string text;
  EXPECT_TRUE(ReadString(file, text));
  EXPECT_EQ(text, "abcdefghij");
  EXPECT_EQ(Position(), 24) << "past all twenty bytes";
  EXPECT_TRUE(ReadString(file, text));
  EXPECT_EQ(text, std::string(300, '\x93'));
  int32_t value = 7;
  EXPECT_TRUE(ReadInt(file, value));
  EXPECT_EQ(value, INT32_MIN);
  EXPECT_FALSE(ReadInt(file, value));
  EXPECT_EQ(value, 0) << "a read that delivered nothing yields 0";
}

TEST_F(RecordsTest, ShortOrHostileFieldsFailWithoutReadingOn) {
  int32_t value = 0;
  std::string text = "old";
  Open(std::string("\x90\x93", 2));
  EXPECT_FALSE(ReadInt(file, value));
  Open(std::string("\x96\x93\x93\x93\xd2\xd1", 6));  // length 5, two bytes follow
  EXPECT_FALSE(ReadString(file, text));
  char buffer[4];
  Open("ab");
  CFieldStream stream(CFieldStream::kRead, file);
  EXPECT_FALSE(stream.TransferRaw(buffer, 4));

  // Lengths of 2 GiB or below zero: nothing past the length is read.
  Open(Scrambled(INT32_MAX) + "abc" + Scrambled(-5));
  EXPECT_FALSE(ReadString(file, text));
  EXPECT_TRUE(text.empty());
  EXPECT_EQ(Position(), 4);
  ASSERT_EQ(Seek(7), 7);
  EXPECT_FALSE(ReadString(file, text));
  EXPECT_EQ(Position(), 11);
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
  EXPECT_EQ(read.GetId(), "Book Id");
  EXPECT_EQ(read.m_nVersion, kVersion);
  EXPECT_EQ(read.m_nTableOffset, 1234);
  EXPECT_EQ(read.m_nField3, -3);
  EXPECT_EQ(read.m_nField8, -8888);
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

TEST_F(RecordsTest, CountOfZeroOrLessIsAnEmptyTableAndAShortHeaderFails) {
  for (int32_t count : {0, -1, INT_MIN}) {
    SCOPED_TRACE(count);
    Open(Scrambled(CVariableTable::kMarker) + Scrambled(1) + Scrambled(count));
    CVariableTable table = SampleTable();
    EXPECT_TRUE(table.Read(file));
    EXPECT_EQ(table.GetSize(), 0) << "earlier contents are replaced";
    EXPECT_EQ(table.m_bRebranded, 1);
  }
  Open(EncodedTable(dir.File("table"), CVariableTable{}).substr(0, 10));
  CVariableTable table;
  EXPECT_FALSE(table.Read(file));
}

TEST_F(RecordsTest, BadRecordMarkerKeepsEarlierRecordsAndReadsNoFurther) {
  std::string bytes = EncodedTable(dir.File("table"), SampleTable());
  CVariableTable one;
  one.Add(SampleTable()[0]);
  const size_t second =
      EncodedTable(dir.File("table"), one).size();  // where the second record starts
  bytes[second] ^= 0x01;
  CVariableTable read;
  Open(bytes);
  EXPECT_FALSE(read.Read(file));
  ASSERT_EQ(read.GetSize(), 1);
  EXPECT_EQ(read[0].m_strValue, "A Short Book");
  EXPECT_EQ(Position(), static_cast<int32_t>(second) + 4);
}

}  // namespace
