// Loading the variable table and storing it back in place, including stores
// that fail part-way and files that must not be written at all.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "ebook/ebook_file.h"
#include "tests/core/ebook_fixture.h"
#include "tests/core/expected_messages.h"
#include "tests/core/other_process.h"

namespace {

using namespace ebook_testing;
using namespace formats;
using namespace platform;
using ebook::CEBookFile;
using testing_support::HoldingProcess;
using testing_support::ReadFileBytes;
using testing_support::RunningProgram;
using testing_support::WriteFileBytes;

constexpr int32_t kTrailerSize = CEBookTrailer::kSize;

class TableIoTest : public EBookTest {
 protected:
  void SetUp() override {
    EBookTest::SetUp();
    WriteSampleEBook();
    original = ReadFileBytes(EBookPath());
  }

  CVariableTable Load() {
    CVariableTable table;
    EXPECT_TRUE(CEBookFile().LoadTable(table));
    return table;
  }
  // The table holds what was stored; the file still passes the checks.
  void ExpectStored(const CVariableTable& stored) {
    EXPECT_TRUE(CEBookFile().Validate());
    const CVariableTable loaded = Load();
    ASSERT_EQ(loaded.GetSize(), stored.GetSize());
    EXPECT_EQ(loaded.m_bRebranded, stored.m_bRebranded);
    for (int i = 0; i < stored.GetSize(); ++i) {
      EXPECT_EQ(loaded[i].m_strIdent, stored[i].m_strIdent);
      EXPECT_EQ(loaded[i].m_strPrompt, stored[i].m_strPrompt);
      EXPECT_EQ(loaded[i].m_strValue, stored[i].m_strValue);
      EXPECT_EQ(loaded[i].m_bEditable, stored[i].m_bEditable);
      EXPECT_EQ(loaded[i].m_nType, stored[i].m_nType);
    }
  }
  std::string TrailerBytes() const { return original.substr(original.size() - kTrailerSize); }

  int32_t tableOffset = static_cast<int32_t>(program.size());
  std::string original;
};

TEST_F(TableIoTest, LoadReadsEveryField) {
  const CVariableTable table = Load();
  EXPECT_TRUE(ui.messages.empty());
  ExpectStored(SampleTable());
  EXPECT_EQ(table[1].m_nType, 2);
}

TEST_F(TableIoTest, StoringAnUnchangedTableLeavesTheFileByteForByte) {
  ASSERT_TRUE(CEBookFile().StoreTable(Load()));
  EXPECT_EQ(ReadFileBytes(EBookPath()), original);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(TableIoTest, ShrunkTableKeepsLengthTrailerAndOldBytesBeforeIt) {
  CVariableTable table = Load();
  table[0].m_strValue = "Tiny";
  table.m_bRebranded = 1;
  ASSERT_TRUE(CEBookFile().StoreTable(table));
  const std::string after = ReadFileBytes(EBookPath());
  ASSERT_EQ(after.size(), original.size());
  const size_t tableEnd = tableOffset + TableSize(table);
  const size_t trailerAt = original.size() - kTrailerSize;
  EXPECT_EQ(after.substr(0, tableOffset), original.substr(0, tableOffset));
  EXPECT_EQ(after.substr(tableEnd, trailerAt - tableEnd),
            original.substr(tableEnd, trailerAt - tableEnd))
      << "remnants of the longer table stay";
  EXPECT_EQ(after.substr(trailerAt), TrailerBytes());
  ExpectStored(table);
}

TEST_F(TableIoTest, GrownTableMovesTheTrailerBehindIt) {
  CVariableTable table = Load();
  table[1].m_strValue = std::string(700, 'd');
  ASSERT_TRUE(CEBookFile().StoreTable(table));
  const std::string after = ReadFileBytes(EBookPath());
  const int32_t tableEnd = tableOffset + TableSize(table);
  const int32_t oldTrailerAt = static_cast<int32_t>(original.size()) - kTrailerSize;
  EXPECT_EQ(static_cast<int32_t>(after.size()),
            static_cast<int32_t>(original.size()) + (tableEnd - oldTrailerAt));
  EXPECT_EQ(after.substr(tableEnd), TrailerBytes());
  EXPECT_EQ(after.substr(0, tableOffset), original.substr(0, tableOffset));
  ExpectStored(table);
}

TEST_F(TableIoTest, TableThatExactlyFillsTheGapLeavesNoneAndKeepsTheLength) {
  WriteSampleEBook(/*gap=*/37);
  original = ReadFileBytes(EBookPath());
  CVariableTable table = Load();
  table[0].m_strValue += std::string(37, '+');
  ASSERT_TRUE(CEBookFile().StoreTable(table));
  const std::string after = ReadFileBytes(EBookPath());
  ASSERT_EQ(after.size(), original.size());
  EXPECT_EQ(tableOffset + TableSize(table), static_cast<int32_t>(after.size()) - kTrailerSize);
  EXPECT_EQ(after.substr(after.size() - kTrailerSize), TrailerBytes());
  ExpectStored(table);
}

TEST_F(TableIoTest, OffsetAtNoTableGivesTheReadMessage) {
  CEBookTrailer trailer = SampleTrailer();
  WriteEBook(EBookPath(), program, SampleTable(), trailer);
  std::string bytes = ReadFileBytes(EBookPath());
  bytes[tableOffset] ^= 0x01;  // the table's start marker
  WriteFileBytes(EBookPath(), bytes);
  CVariableTable table;
  EXPECT_FALSE(CEBookFile().LoadTable(table));
  ExpectOnlyMessage(kErrorReading);
}

TEST_F(TableIoTest, MissingOrTrailerlessFileFailsAndIsNotWritten) {
  WriteFileBytes(EBookPath(), program);
  CVariableTable table;
  EXPECT_FALSE(CEBookFile().LoadTable(table));
  ExpectOnlyMessage(kErrorReading);
  ui.messages.clear();
  EXPECT_FALSE(CEBookFile().StoreTable(SampleTable()));
  ExpectOnlyMessage(kErrorWriting);
  EXPECT_EQ(ReadFileBytes(EBookPath()), program);
  ui.messages.clear();

  ASSERT_EQ(unlink(EBookPath().c_str()), 0);
  EXPECT_FALSE(CEBookFile().LoadTable(table));
  ExpectOnlyMessage(kErrorReading);
}

TEST_F(TableIoTest, EBookInUseIsNeitherLoadedNorWritten) {
  {
    HoldingProcess holder([path = EBookPath()] { return open(path.c_str(), O_RDONLY) >= 0; });
    ASSERT_TRUE(holder.Opened());
    CVariableTable table;
    EXPECT_FALSE(CEBookFile().LoadTable(table));
    ExpectOnlyMessage(kErrorReading);
    ui.messages.clear();
  }
  WriteEBook(EBookPath(), ReadFileBytes("/bin/sleep"), SampleTable(), SampleTrailer());
  ASSERT_EQ(chmod(EBookPath().c_str(), 0755), 0);
  const std::string running = ReadFileBytes(EBookPath());
  RunningProgram program(EBookPath(), {"60"});
  ASSERT_TRUE(program.Started());
  EXPECT_FALSE(CEBookFile().StoreTable(SampleTable()));
  ExpectOnlyMessage(kCantOpenForWriting);
  EXPECT_EQ(ReadFileBytes(EBookPath()), running);
}

TEST_F(TableIoTest, FailedStoreRestoresTheFileWhicheverWriteFails) {
  CVariableTable grown = SampleTable();
  grown[0].m_strValue = std::string(400, 'g');  // overwrites the old trailer
  grown.m_bRebranded = 1;
  CVariableTable shrunk = SampleTable();
  shrunk[1].m_strValue = "x";
  for (const CVariableTable& table : {grown, shrunk}) {
    int writes = 0;
    {
      IoRecorder io;
      ASSERT_TRUE(CEBookFile().StoreTable(table));
      writes = io.writes;
    }
    ASSERT_GT(writes, 20);
    for (int n = 1; n <= writes; ++n) {
      SCOPED_TRACE("failing write " + std::to_string(n) + " of " + std::to_string(writes));
      WriteFileBytes(EBookPath(), original);
      ui.messages.clear();
      IoRecorder io;
      io.failWrite = n;
      EXPECT_FALSE(CEBookFile().StoreTable(table));
      EXPECT_EQ(ReadFileBytes(EBookPath()), original);
      ExpectOnlyMessage(kErrorWriting);
    }
  }
}

TEST_F(TableIoTest, OffsetOutsideTheFileOrPastTheTrailerIsNeverWritten) {
  const int32_t length = static_cast<int32_t>(original.size());
  const int32_t trailerAt = length - kTrailerSize;
  for (int32_t offset : {-1, INT_MIN, trailerAt + 1, trailerAt + 8, length, INT_MAX}) {
    SCOPED_TRACE(offset);
    CEBookTrailer trailer = SampleTrailer();
    trailer.m_nTableOffset = offset;
    // Opaque fields that read as an empty table at trailer position + 8.
    trailer.m_nField2 = CVariableTable::kMarker;
    trailer.m_nField4 = 0;
    const std::string hostile =
        original.substr(0, trailerAt) + EncodedTrailer(dir.File("scratch"), trailer);
    WriteFileBytes(EBookPath(), hostile);
    ui.messages.clear();

    IoRecorder io;
    CVariableTable table;
    EXPECT_FALSE(CEBookFile().LoadTable(table));
    ExpectOnlyMessage(kErrorReading);
    ui.messages.clear();
    EXPECT_FALSE(CEBookFile().StoreTable(SampleTable()));
    ExpectOnlyMessage(kErrorWriting);
    EXPECT_EQ(io.Changes(), 0);
    EXPECT_EQ(ReadFileBytes(EBookPath()), hostile);
  }
}

// Files too long for 32-bit positions, made sparse so they cost no disk.
class LargeFileTest : public TableIoTest {
 protected:
  // Puts a valid trailer, pointing at the sample table, at the end of a file
  // of the given length.
  void WriteLargeEBook(off_t length) {
    const int fd = open(EBookPath().c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, length), 0);
    const std::string trailer = TrailerBytes();
    ASSERT_EQ(pwrite(fd, trailer.data(), trailer.size(), length - kTrailerSize), kTrailerSize);
    close(fd);
  }
  off_t Length() const {
    struct stat st;
    return stat(EBookPath().c_str(), &st) == 0 ? st.st_size : -1;
  }
};

TEST_F(LargeFileTest, TwoGibibytesOrMoreIsUnreadableAndNeverWritten) {
  for (off_t length : {off_t{1} << 31, (off_t{1} << 32) + static_cast<off_t>(original.size())}) {
    SCOPED_TRACE(length);
    WriteLargeEBook(length);
    ui.messages.clear();
    IoRecorder io;
    EXPECT_FALSE(CEBookFile().Validate());
    ExpectOnlyMessage(kCorrupt);
    ui.messages.clear();
    CVariableTable table;
    EXPECT_FALSE(CEBookFile().LoadTable(table));
    ExpectOnlyMessage(kErrorReading);
    ui.messages.clear();
    EXPECT_FALSE(CEBookFile().StoreTable(SampleTable()));
    ExpectOnlyMessage(kErrorWriting);
    EXPECT_EQ(io.Changes(), 0);
    EXPECT_EQ(Length(), length);
  }
}

TEST_F(LargeFileTest, StoreThatWouldEndPastTheLastPositionIsUndone) {
  // The sample table directly before the trailer, near the top of the range.
  const off_t length = INT_MAX - 200;
  const std::string tableBytes =
      original.substr(tableOffset, original.size() - kTrailerSize - tableOffset);
  CEBookTrailer trailer = SampleTrailer();
  trailer.m_nTableOffset = static_cast<int32_t>(length - kTrailerSize - tableBytes.size());
  const std::string tail = tableBytes + EncodedTrailer(dir.File("scratch"), trailer);
  const int fd = open(EBookPath().c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, length), 0);
  ASSERT_EQ(pwrite(fd, tail.data(), tail.size(), trailer.m_nTableOffset),
            static_cast<ssize_t>(tail.size()));
  close(fd);

  CVariableTable table = Load();
  ASSERT_EQ(table.GetSize(), 3);
  table[0].m_strValue += std::string(20, '+');
  ASSERT_TRUE(CEBookFile().StoreTable(table)) << "growing within the range works";
  EXPECT_EQ(Length(), length + 20);
  ExpectStored(table);

  // The first leaves the trailer no room below the last position, the second
  // the table itself.
  for (int more : {230, 500}) {
    SCOPED_TRACE(more);
    CVariableTable longer = table;
    longer[0].m_strValue += std::string(more, '+');
    const off_t before = Length();
    ui.messages.clear();
    EXPECT_FALSE(CEBookFile().StoreTable(longer));
    ExpectOnlyMessage(kErrorWriting);
    EXPECT_EQ(Length(), before);
    ExpectStored(table);
  }
}

}  // namespace
