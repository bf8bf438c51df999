// Loading the variable table and storing it back in place, and files with
// hostile values that must give their message and never be written.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>

#include "ebook/ebook_file.h"
#include "tests/core/ebook_fixture.h"
#include "tests/core/other_process.h"

namespace {

using namespace ebook_testing;
using namespace formats;
using ebook::CEBookFile;
using testing_support::OtherProcess;

class TableIoTest : public EBookTest {
 protected:
  // The table holds what was stored; the file still passes the checks.
  void ExpectStored(const CVariableTable& stored) {
    EXPECT_TRUE(CEBookFile().Validate());
    const CVariableTable loaded = Load();
    EXPECT_EQ(Encoded(loaded), Encoded(stored));
  }
  std::string Encoded(const CVariableTable& table) {
    return EncodedTable(dir.File("scratch"), table);
  }
  std::string TrailerBytes() const { return original.substr(original.size() - kTrailerSize); }
  // Loading gives the read message, storing (when asked) the write message,
  // and the file is never changed.
  void ExpectRefused(const std::string& bytes, bool store) {
    WriteFileBytes(EBookPath(), bytes);
    IoRecorder io;
    CVariableTable table;
    EXPECT_FALSE(CEBookFile().LoadTable(table));
    ExpectOnlyMessage(kErrorReading);
    if (store) {
      EXPECT_FALSE(CEBookFile().StoreTable(SampleTable()));
      ExpectOnlyMessage(kErrorWriting);
    }
    EXPECT_EQ(io.Pattern(), "");
    EXPECT_TRUE(ReadFileBytes(EBookPath()) == bytes);
  }
  int64_t Length() const { return std::filesystem::file_size(EBookPath()); }
  // Makes the E-Book sparse and `length` long, ending in `tail`.
  void WriteLarge(int64_t length, const std::string& tail) {
    std::fstream file(EBookPath(), std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(length - static_cast<int64_t>(tail.size()));
    file.write(tail.data(), static_cast<std::streamsize>(tail.size()));
    ASSERT_TRUE(file.flush()) << "made " << Length() << " bytes long";
  }
};

TEST_F(TableIoTest, LoadedTableStoresBackByteForByte) {
  ExpectStored(SampleTable());
  EXPECT_TRUE(ui.messages.empty());
  ASSERT_TRUE(CEBookFile().StoreTable(Load()));
  EXPECT_EQ(ReadFileBytes(EBookPath()), original);
  EXPECT_TRUE(ui.messages.empty());
}

// A shorter table leaves the rest of the old one before the trailer, which
// stays where it was; a longer one pushes the trailer behind it.
TEST_F(TableIoTest, StoreShrinksFillsOrGrowsWithTheTrailerLastAndUnchanged) {
  const std::string value = SampleTable()[0].m_strValue;
  const struct {
    const char* what;
    int32_t gap;
    CVariableTable table;
  } cases[] = {
      {"shrinking", 0, Edited("Tiny")},
      {"equal length", 0, Edited(std::string(value.size(), 'e'))},
      {"filling the gap exactly", 37, Edited(value + std::string(37, '+'))},
      {"growing over the trailer", 0, Edited(std::string(700, 'g'))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteSampleEBook(c.gap);
    ASSERT_TRUE(CEBookFile().StoreTable(c.table));
    const std::string after = ReadFileBytes(EBookPath());
    const size_t tableEnd = tableOffset + Encoded(c.table).size();
    const size_t oldTrailerAt = original.size() - kTrailerSize;
    const size_t trailerAt = std::max(tableEnd, oldTrailerAt);
    ASSERT_EQ(after.size(), trailerAt + kTrailerSize);
    EXPECT_EQ(after.substr(0, tableOffset), original.substr(0, tableOffset));
    if (tableEnd < oldTrailerAt) {
      EXPECT_EQ(after.substr(tableEnd), original.substr(tableEnd)) << "the old table's rest stays";
    }
    EXPECT_EQ(after.substr(trailerAt), TrailerBytes());
    ExpectStored(c.table);
  }
}

TEST_F(TableIoTest, EBookInUseIsNeitherLoadedNorWritten) {
  {
    OtherProcess holder(testing_support::OpensPlainly(EBookPath()));
    ASSERT_TRUE(holder.Ready());
    CVariableTable table;
    EXPECT_FALSE(CEBookFile().LoadTable(table));
    ExpectOnlyMessage(kErrorReading);
  }
  WriteRunnableEBook();
  const std::string running = ReadFileBytes(EBookPath());
  OtherProcess program(testing_support::Runs(EBookPath()));
  ASSERT_TRUE(program.Ready());
  EXPECT_FALSE(CEBookFile().StoreTable(SampleTable()));
  ExpectOnlyMessage(kCantOpenForWriting);
  EXPECT_EQ(ReadFileBytes(EBookPath()), running);
}

// No table at the offset, no trailer, lengths and counts up to 2^31 - 1 or
// below zero, table offsets outside the room between the file's start and the
// trailer, or no file.
TEST_F(TableIoTest, UnreadableOrHostileEBookGetsItsMessageAndIsNeverWritten) {
  std::string noTable = original;
  noTable[tableOffset] ^= 0x01;  // the table's start marker
  ExpectRefused(noTable, /*store=*/false);
  ExpectRefused(program, /*store=*/true);
  const CVariable first = SampleTable()[0];
  const size_t ident = tableOffset + 16;
  const size_t prompt = ident + 4 + first.m_strIdent.size();
  const size_t value = prompt + 4 + first.m_strPrompt.size();
  const int32_t bytesLeft = static_cast<int32_t>(original.size() - value - 4);
  const std::pair<size_t, int32_t> fields[] = {
      {tableOffset + 8, INT_MAX}, {ident, INT_MAX}, {prompt, INT_MAX}, {value, INT_MAX},
      {value, bytesLeft + 1},     {value, -1},      {value, INT_MIN},
  };
  for (const auto& [position, hostile] : fields) {
    SCOPED_TRACE(std::to_string(position) + ": " + std::to_string(hostile));
    std::string bytes = original;
    bytes.replace(position, 4, Scrambled(hostile));
    ExpectRefused(bytes, /*store=*/false);  // a store never reads the old table
  }
  const int32_t length = static_cast<int32_t>(original.size());
  const int32_t trailerAt = length - kTrailerSize;
  for (int32_t offset : {-1, INT_MIN, trailerAt - 11, trailerAt - 1, trailerAt, trailerAt + 1,
                         trailerAt + 8, length, INT_MAX}) {
    SCOPED_TRACE(offset);
    CEBookTrailer trailer = SampleTrailer();
    trailer.m_nTableOffset = offset;
    // Opaque fields that read as an empty table at the trailer's position + 8.
    trailer.m_nField2 = CVariableTable::kMarker;
    trailer.m_nField4 = 0;
    std::string bytes =
        original.substr(0, trailerAt) + EncodedTrailer(dir.File("scratch"), trailer);
    // Less room than a table's header: its marker, as far as it fits.
    if (offset >= trailerAt - 11 && offset < trailerAt) {
      bytes.replace(offset, std::min(4, trailerAt - offset),
                    Scrambled(CVariableTable::kMarker).substr(0, trailerAt - offset));
    }
    ExpectRefused(bytes, /*store=*/true);
  }
  // A file of exactly 104 bytes is a sound trailer but has no room for a table.
  CEBookTrailer trailer = SampleTrailer();
  trailer.m_nTableOffset = 0;
  const std::string onlyTrailer = EncodedTrailer(dir.File("scratch"), trailer);
  WriteFileBytes(EBookPath(), onlyTrailer);
  EXPECT_TRUE(CEBookFile().Validate());
  EXPECT_TRUE(ui.messages.empty());
  ExpectRefused(onlyTrailer, /*store=*/true);
  ASSERT_TRUE(std::filesystem::remove(EBookPath()));
  CVariableTable table;
  EXPECT_FALSE(CEBookFile().LoadTable(table));
  ExpectOnlyMessage(kErrorReading);
}

// Files too long for 32-bit positions, made sparse so they cost no disk.
TEST_F(TableIoTest, TwoGibibytesOrMoreIsUnreadableAndNeverWritten) {
  for (int64_t length : {int64_t{1} << 31, (int64_t{1} << 32) + int64_t(original.size())}) {
    SCOPED_TRACE(length);
    WriteLarge(length, TrailerBytes());
    IoRecorder io;
    EXPECT_FALSE(CEBookFile().Validate());
    ExpectOnlyMessage(kCorrupt);
    CVariableTable table;
    EXPECT_FALSE(CEBookFile().LoadTable(table));
    ExpectOnlyMessage(kErrorReading);
    EXPECT_FALSE(CEBookFile().StoreTable(SampleTable()));
    ExpectOnlyMessage(kErrorWriting);
    EXPECT_EQ(io.Pattern(), "");
    EXPECT_EQ(Length(), length);
  }
}

TEST_F(TableIoTest, StoreThatWouldEndPastTheLastPositionIsUndone) {
  // The sample table directly before the trailer, near the top of the range.
  const int64_t length = INT_MAX - 200;
  const std::string table = Encoded(SampleTable());
  CEBookTrailer trailer = SampleTrailer();
  trailer.m_nTableOffset = static_cast<int32_t>(length - kTrailerSize - table.size());
  WriteLarge(length, table + EncodedTrailer(dir.File("scratch"), trailer));
  CVariableTable grown = Edited(SampleTable()[0].m_strValue + std::string(20, '+'));
  ASSERT_TRUE(CEBookFile().StoreTable(grown)) << "growing within the range works";
  EXPECT_EQ(Length(), length + 20);
  // The first leaves the trailer no room below the last position, the second
  // the table itself.
  for (int more : {230, 500}) {
    SCOPED_TRACE(more);
    EXPECT_FALSE(CEBookFile().StoreTable(Edited(grown[0].m_strValue + std::string(more, '+'))));
    ExpectOnlyMessage(kErrorWriting);
    EXPECT_EQ(Length(), length + 20);
    ExpectStored(grown);
  }
}

}  // namespace
