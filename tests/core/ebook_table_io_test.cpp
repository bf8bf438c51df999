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
  std::string Encoded(const CVariableTable& table) {
    return EncodedTable(dir.File("scratch"), table);
  }
  // The table holds what was stored; the file still passes the checks.
  void ExpectStored(const CVariableTable& stored) {
    EXPECT_TRUE(CEBookFile().Validate());
    EXPECT_EQ(Encoded(Load()), Encoded(stored));
  }
  // Loading gives the read message, storing (when asked) the write message,
  // and nothing is changed.
  void ExpectRefused(bool store) {
    IoRecorder io;
    CVariableTable table;
    EXPECT_FALSE(CEBookFile().LoadTable(table));
    ExpectOnlyMessage(kErrorReading);
    EXPECT_TRUE(!store || !CEBookFile().StoreTable(SampleTable()));
    if (store) ExpectOnlyMessage(kErrorWriting);
    EXPECT_EQ(io.Pattern(), "");
  }
  void ExpectRefused(const std::string& bytes, bool store) {
    WriteFileBytes(EBookPath(), bytes);
    ExpectRefused(store);
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

// A shorter table leaves the rest of the old one before the trailer, which
// stays where it was; a longer one pushes the trailer behind it.
TEST_F(TableIoTest, StoreWritesTheTableInPlaceWithTheTrailerLastAndUnchanged) {
  const std::string value = SampleTable()[0].m_strValue;
  const std::pair<int32_t, CVariableTable> cases[] = {
      {0, Load()},  // byte for byte as it was
      {0, Edited("Tiny")},
      {0, Edited(std::string(value.size(), 'e'))},
      {37, Edited(value + std::string(37, '+'))},  // filling the gap exactly
      {0, Edited(std::string(700, 'g'))},
  };
  for (const auto& [gap, table] : cases) {
    SCOPED_TRACE(table[0].m_strValue);
    WriteSampleEBook(gap);
    ASSERT_TRUE(CEBookFile().StoreTable(table));
    const size_t tableEnd = tableOffset + Encoded(table).size();
    const size_t trailerAt = original.size() - kTrailerSize;
    EXPECT_TRUE(ReadFileBytes(EBookPath()) ==
                original.substr(0, tableOffset) + Encoded(table) +
                    original.substr(std::min(tableEnd, trailerAt),
                                    trailerAt - std::min(tableEnd, trailerAt)) +
                    original.substr(trailerAt));
    ExpectStored(table);
    EXPECT_TRUE(ui.messages.empty());
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
// trailer, or only a trailer.
TEST_F(TableIoTest, UnreadableOrHostileEBookGetsItsMessageAndIsNeverWritten) {
  std::string noTable = original;
  noTable[tableOffset] ^= 0x01;  // the table's start marker
  ExpectRefused(noTable, false);
  ExpectRefused(program, true);
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
    ExpectRefused(std::string(original).replace(position, 4, Scrambled(hostile)), false);
  }
  const int32_t trailerAt = static_cast<int32_t>(original.size()) - kTrailerSize;
  for (int32_t offset : {-1, INT_MIN, trailerAt - 11, trailerAt - 1, trailerAt, trailerAt + 1,
                         trailerAt + 8, trailerAt + kTrailerSize, INT_MAX, 0}) {
    SCOPED_TRACE(offset);
    CEBookTrailer trailer = SampleTrailer();
    trailer.m_nTableOffset = offset;
    // Opaque fields that read as an empty table at the trailer's position + 8.
    trailer.m_nField2 = CVariableTable::kMarker;
    trailer.m_nField4 = 0;
    // The last: a file of exactly 104 bytes, a sound trailer with no room for a table.
    std::string bytes =
        original.substr(0, offset ? trailerAt : 0) + EncodedTrailer(dir.File("scratch"), trailer);
    // Less room than a table's header: its marker, as far as it fits.
    if (offset >= trailerAt - 11 && offset < trailerAt) {
      bytes.replace(offset, std::min(4, trailerAt - offset),
                    Scrambled(CVariableTable::kMarker).substr(0, trailerAt - offset));
    }
    ExpectRefused(bytes, true);
  }
  EXPECT_TRUE(CEBookFile().Validate());
  EXPECT_TRUE(ui.messages.empty());
}

// Files too long for 32-bit positions, made sparse so they cost no disk.
TEST_F(TableIoTest, TwoGibibytesOrMoreIsUnreadableAndNeverWritten) {
  for (int64_t length : {int64_t{1} << 31, (int64_t{1} << 32) + int64_t(original.size())}) {
    SCOPED_TRACE(length);
    WriteLarge(length, original.substr(original.size() - kTrailerSize));
    EXPECT_FALSE(CEBookFile().Validate());
    ExpectOnlyMessage(kCorrupt);
    ExpectRefused(true);
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
  // The first leaves the trailer no room below the last position, the second
  // the table itself.
  for (int more : {230, 500}) {
    EXPECT_FALSE(CEBookFile().StoreTable(Edited(grown[0].m_strValue + std::string(more, '+'))));
    ExpectOnlyMessage(kErrorWriting);
    EXPECT_EQ(Length(), length + 20) << more;
    ExpectStored(grown);
  }
}

}  // namespace
