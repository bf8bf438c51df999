// The E-Book's trailer and variable table records on real files.
#include <gtest/gtest.h>

#include <climits>

#include "formats/ebook_trailer.h"
#include "formats/variable_table.h"
#include "tests/core/ebook_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace formats;
using namespace platform;
using ebook_testing::IoRecorder;
using ebook_testing::SampleTable;
using ebook_testing::SampleTrailer;
using ebook_testing::TableSize;
using ebook_testing::Variable;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

class RecordsTest : public ::testing::Test {
 protected:
  // Opens the file over the given bytes, positioned at `position`.
  HFILE Open(const std::string& bytes, int32_t position = 0) {
    Close();
    WriteFileBytes(path, bytes);
    file = _lopen(path, OF_EXCLUSIVE_READWRITE);
    EXPECT_NE(file, HFILE_ERROR);
    EXPECT_EQ(_llseek(file, position, FILE_BEGIN), position);
    return file;
  }
  void Close() {
    if (file != HFILE_ERROR) _lclose(file);
    file = HFILE_ERROR;
  }
  ~RecordsTest() override { Close(); }

  bool TransferTrailer(CEBookTrailer& trailer, int direction) {
    CFieldStream stream(direction, file);
    return trailer.Transfer(stream);
  }
  // The bytes of a table as written on its own.
  std::string TableBytes(const CVariableTable& table) {
    Open("");
    EXPECT_TRUE(table.Write(file));
    Close();
    return ReadFileBytes(path);
  }

  TempDir dir;
  std::string path = dir.File("records");
  HFILE file = HFILE_ERROR;
};

TEST_F(RecordsTest, TrailerRoundTripIsByteExactAndKeepsTheIdentityUnmasked) {
  CEBookTrailer written = SampleTrailer("Book Id");
  written.m_nTableOffset = 1234;
  Open("prefix", 6);
  ASSERT_TRUE(TransferTrailer(written, CFieldStream::kWrite));
  Close();
  const std::string bytes = ReadFileBytes(path);
  ASSERT_EQ(bytes.size(), 6u + CEBookTrailer::kSize);
  EXPECT_EQ(bytes.substr(6 + 36, 8), std::string("Book Id\0", 8)) << "identity stored as is";

  CEBookTrailer read;
  Open(bytes, 6);
  ASSERT_TRUE(TransferTrailer(read, CFieldStream::kRead));
  EXPECT_EQ(read.GetId(), "Book Id");
  EXPECT_EQ(read.m_nVersion, written.m_nVersion);
  EXPECT_EQ(read.m_nTableOffset, 1234);
  EXPECT_EQ(read.m_nField3, -3);
  EXPECT_EQ(read.m_nField8, -8888);
  ASSERT_EQ(_llseek(file, 6, FILE_BEGIN), 6);
  ASSERT_TRUE(TransferTrailer(read, CFieldStream::kWrite));
  Close();
  EXPECT_EQ(ReadFileBytes(path), bytes);
}

TEST_F(RecordsTest, TrailerFailsOnWrongEndMarkerOrShortFile) {
  CEBookTrailer trailer = SampleTrailer();
  Open("");
  ASSERT_TRUE(TransferTrailer(trailer, CFieldStream::kWrite));
  Close();
  std::string bytes = ReadFileBytes(path);
  bytes[CEBookTrailer::kSize - 1] ^= 0x10;
  CEBookTrailer read;
  Open(bytes);
  EXPECT_FALSE(TransferTrailer(read, CFieldStream::kRead));
  EXPECT_EQ(read.GetId(), ebook_testing::kEBookId) << "fields before the failure were read";

  Open(bytes.substr(0, CEBookTrailer::kSize - 1));
  EXPECT_FALSE(TransferTrailer(read, CFieldStream::kRead));
}

TEST_F(RecordsTest, IdentityWithoutZeroByteIsAllSixtyFourBytes) {
  CEBookTrailer trailer;
  const std::string full(70, 'x');
  trailer.SetId(full);
  Open("");
  ASSERT_TRUE(TransferTrailer(trailer, CFieldStream::kWrite));
  CEBookTrailer read;
  ASSERT_EQ(_llseek(file, 0, FILE_BEGIN), 0);
  ASSERT_TRUE(TransferTrailer(read, CFieldStream::kRead));
  EXPECT_EQ(read.GetId(), std::string(64, 'x'));
}

TEST_F(RecordsTest, TableRoundTripReproducesTheBytes) {
  CVariableTable table = SampleTable();
  table.m_bRebranded = 1;
  const std::string bytes = TableBytes(table);
  EXPECT_EQ(static_cast<int32_t>(bytes.size()), TableSize(table));

  CVariableTable read;
  Open(bytes);
  ASSERT_TRUE(read.Read(file));
  ASSERT_EQ(read.GetSize(), 3);
  EXPECT_EQ(read.m_bRebranded, 1);
  EXPECT_EQ(read[1].m_strValue, "For everyone\r\nwho reads.");
  EXPECT_EQ(read[2].m_bEditable, 0);
  EXPECT_EQ(read[2].m_nType, 9);
  EXPECT_EQ(TableBytes(read), bytes);
}

TEST_F(RecordsTest, CountOfZeroOrLessIsAnEmptyTable) {
  for (int32_t count : {0, -1, INT_MIN}) {
    Open("");
    WriteMagic(file, CVariableTable::kMarker);
    WriteInt(file, 1);
    WriteInt(file, count);
    ASSERT_EQ(_llseek(file, 0, FILE_BEGIN), 0);
    CVariableTable table = SampleTable();
    EXPECT_TRUE(table.Read(file)) << count;
    EXPECT_EQ(table.GetSize(), 0) << "earlier contents are replaced";
    EXPECT_EQ(table.m_bRebranded, 1);
  }
  // A header that stops short fails.
  Open(TableBytes(CVariableTable{}).substr(0, 10));
  CVariableTable table;
  EXPECT_FALSE(table.Read(file));
}

TEST_F(RecordsTest, BadRecordMarkerKeepsEarlierRecordsAndReadsNoFurther) {
  std::string bytes = TableBytes(SampleTable());
  const CVariableTable first(SampleTable());
  CVariableTable one;
  one.Add(first[0]);
  const size_t second = TableBytes(one).size();  // where the second record starts
  bytes[second] ^= 0x01;
  CVariableTable read;
  Open(bytes);
  EXPECT_FALSE(read.Read(file));
  ASSERT_EQ(read.GetSize(), 1);
  EXPECT_EQ(read[0].m_strValue, "A Short Book");
  EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), static_cast<int32_t>(second) + 4)
      << "only the bad marker was read";
}

TEST_F(RecordsTest, DamagedCountFailsWithoutInventingRecords) {
  std::string bytes = TableBytes(SampleTable());
  Open(bytes);
  ASSERT_EQ(_llseek(file, 8, FILE_BEGIN), 8);
  WriteInt(file, INT_MAX);
  ASSERT_EQ(_llseek(file, 0, FILE_BEGIN), 0);
  CVariableTable read;
  EXPECT_FALSE(read.Read(file));
  EXPECT_EQ(read.GetSize(), 3);
}

TEST_F(RecordsTest, GrownValueMovesLaterRecords) {
  CVariableTable table = SampleTable();
  table[0].m_strValue = "short";
  const std::string before = TableBytes(table);
  table[0].m_strValue = std::string(500, 'v');
  const std::string after = TableBytes(table);
  EXPECT_EQ(after.size(), before.size() + 495);
  CVariableTable read;
  Open(after);
  ASSERT_TRUE(read.Read(file));
  ASSERT_EQ(read.GetSize(), 3);
  EXPECT_EQ(read[0].m_strValue, std::string(500, 'v'));
  EXPECT_EQ(read[1].m_strPrompt, "Dedication:");
  EXPECT_EQ(read[2].m_strIdent, "BUILD");
}

TEST_F(RecordsTest, TableWriteStopsAtTheFirstFailure) {
  IoRecorder io;
  io.failWrite = 4;  // the first record's marker, after the three header fields
  Open("");
  EXPECT_FALSE(SampleTable().Write(file));
  EXPECT_EQ(io.writes, 4) << "nothing is tried after the failure";
}

}  // namespace
