// The E-Book file: finding and checking it, probing that nobody else has it
// open, loading its table and storing it back in place, and files with
// hostile values that must give their message and never be written.
#include <climits>
#include <fstream>
#include <optional>

#include "tests/core/ebook_fixture.h"

namespace ebook_testing {
namespace {

// Identity before version, both exact; missing, or a folder under its name,
// names the rebrander's folder.
TEST_F(EBookTest, ValidatePassesTheRightEBookSilentlyAndGivesEachWrongOneItsMessage) {
  SetReadOnly(EBookPath(), true);
  EXPECT_EQ(CEBookFile().GetPath(), dir.File("book.exe"));
  EXPECT_TRUE(CEBookFile().Validate()) << "even when read-only";
  EXPECT_TRUE(ui.messages.empty());
  std::string id;
  int32_t version = 0;
  ASSERT_TRUE(CEBookFile().ReadIdentity(id, version));
  EXPECT_EQ(std::tie(id, version), std::make_tuple(kEBookId, kVersion));
  SetReadOnly(EBookPath(), false);
  const auto with = [&](const std::string& id, int32_t version) {
    return WriteEBook(dir.File("scratch"), program, SampleTable(), SampleTrailer(id, version));
  };
  const std::pair<std::string, std::string> cases[] = {
      {std::string(50, 't'), kCorrupt},  // shorter than a trailer
      {program, kCorrupt},
      {original.substr(0, original.size() - 1) + char(original.back() ^ 1), kCorrupt},
      {with("Another-Book", kVersion), kDifferentEBook},
      {with("sample-book-2024", kVersion), kDifferentEBook},
      {with("Sample-Book-2024 ", kVersion), kDifferentEBook},
      {with("Other", kVersion + 1), kDifferentEBook},
      {with(kEBookId, -kVersion), kDifferentVersion},
      {"", NotFoundText(dir.Path() + kPathSeparator)},
      {"folder", NotFoundText(dir.Path() + kPathSeparator)},
  };
  for (const auto& [bytes, message] : cases) {
    SCOPED_TRACE(bytes.size());
    fs::remove(EBookPath());
    if (bytes == "folder") fs::create_directory(EBookPath());
    if (!bytes.empty() && bytes != "folder") WriteFileBytes(EBookPath(), bytes);
    EXPECT_FALSE(CEBookFile().Validate());
    ExpectOnlyMessage(message);
  }
}

// The real second processes hold the file or run it; the sleeper stands for
// the clock and frees the file after the given number of sleeps.
TEST_F(EBookTest, ProbeTriesFiveTimesASecondApartUnderTheWaitCursor) {
  std::vector<uint32_t> sleeps;
  bool cursorOnWhileSleeping = true;
  std::optional<OtherProcess> holder;
  size_t releaseAfter = 0;
  SetSleeper([&](uint32_t ms) {
    sleeps.push_back(ms);
    cursorOnWhileSleeping = cursorOnWhileSleeping && ui.waitCursor == std::vector<bool>{true};
    if (holder && sleeps.size() == releaseAfter) holder->Kill();
  });
  WriteRunnableEBook();
  const struct {
    std::optional<ChildCommand> holder;
    size_t releaseAfter;  // sleeps; 0 for never
    size_t sleeps;        // of 1000 ms; five means the probe failed
  } cases[] = {
      {std::nullopt, 0, 0},
      {OpensPlainly(EBookPath()), 2, 2},
      {OpensPlainly(EBookPath()), 5, 5},  // freed only after the last sleep
      {OpensPlainly(EBookPath()), 0, 5},
      {Runs(EBookPath()), 0, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.holder ? (*c.holder)[1] + std::to_string(c.releaseAfter) : "free");
    sleeps.clear();
    ui.waitCursor.clear();
    ASSERT_TRUE(!c.holder || holder.emplace(*c.holder).Ready());
    EXPECT_TRUE(CEBookFile().Validate()) << "shared reading is not refused";
    releaseAfter = c.releaseAfter;
    EXPECT_EQ(CEBookFile().ProbeNotInUse(), c.sleeps < 5);
    EXPECT_EQ(sleeps, std::vector<uint32_t>(c.sleeps, 1000));
    if (c.sleeps == 5) ExpectOnlyMessage(kAlreadyRunning);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(cursorOnWhileSleeping);
    EXPECT_EQ(ui.waitCursor, (std::vector<bool>{true, false}));
    holder.reset();
  }
  SetReadOnly(EBookPath(), true);
  EXPECT_FALSE(CEBookFile().ProbeNotInUse()) << "read-only";
  ExpectOnlyMessage(kAlreadyRunning);
}

class TableIoTest : public EBookTest {
 protected:
  // The table holds what was stored; the file still passes the checks.
  void ExpectStored(const CVariableTable& stored) {
    EXPECT_TRUE(CEBookFile().Validate());
    EXPECT_EQ(Encode(Load()), Encode(stored));
  }
  // With the E-Book made of `bytes` (when given), loading gives the read
  // message, storing (when asked) the write message, and nothing is changed.
  void ExpectRefused(bool store, const std::optional<std::string>& bytes = {}) {
    if (bytes) WriteFileBytes(EBookPath(), *bytes);
    IoRecorder io;
    CVariableTable table;
    EXPECT_FALSE(CEBookFile().LoadTable(table));
    ExpectOnlyMessage(kErrorReading);
    EXPECT_TRUE(!store || !CEBookFile().StoreTable(SampleTable()));
    if (store) ExpectOnlyMessage(kErrorWriting);
    EXPECT_EQ(io.pattern, "");
    EXPECT_TRUE(!bytes || ReadFileBytes(EBookPath()) == *bytes);
  }
  // Makes the E-Book sparse and `length` long, ending in `tail`.
  void WriteLarge(int64_t length, const std::string& tail) {
    std::fstream file(EBookPath(), std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(length - static_cast<int64_t>(tail.size()));
    ASSERT_TRUE(file.write(tail.data(), static_cast<std::streamsize>(tail.size())).flush());
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
    const size_t trailerAt = original.size() - kTrailerSize;
    const size_t tableEnd = std::min(tableOffset + Encode(table).size(), trailerAt);
    EXPECT_TRUE(ReadFileBytes(EBookPath()) == original.substr(0, tableOffset) + Encode(table) +
                                                  original.substr(tableEnd, trailerAt - tableEnd) +
                                                  original.substr(trailerAt));
    ExpectStored(table);
    EXPECT_TRUE(ui.messages.empty());
  }
}

// No table at the offset, no trailer, lengths and counts up to 2^31 - 1 or
// below zero, table offsets outside the room between the file's start and the
// trailer, or only a trailer.
TEST_F(TableIoTest, UnreadableOrHostileEBookGetsItsMessageAndIsNeverWritten) {
  std::string noTable = original;
  noTable[tableOffset] ^= 0x01;  // the table's start marker
  ExpectRefused(false, noTable);
  ExpectRefused(true, program);
  const CVariable first = SampleTable()[0];
  const size_t ident = tableOffset + 16;
  const size_t prompt = ident + 4 + first.m_strIdent.size();
  const size_t value = prompt + 4 + first.m_strPrompt.size();
  const int32_t bytesLeft = static_cast<int32_t>(original.size() - value - 4);
  const std::pair<size_t, int32_t> fields[] = {
      {tableOffset + 8, INT_MAX}, {ident, INT_MAX}, {prompt, INT_MAX},
      {value, bytesLeft + 1},     {value, INT_MIN},
  };
  for (const auto& [position, hostile] : fields) {
    SCOPED_TRACE(std::to_string(position) + ": " + std::to_string(hostile));
    ExpectRefused(false, std::string(original).replace(position, 4, Scrambled(hostile)));
  }
  const int32_t trailerAt = static_cast<int32_t>(original.size()) - kTrailerSize;
  for (int32_t offset :
       {INT_MIN, trailerAt - 11, trailerAt - 1, trailerAt, trailerAt + 8, INT_MAX, 0}) {
    SCOPED_TRACE(offset);
    CEBookTrailer trailer = SampleTrailer();
    trailer.m_nTableOffset = offset;
    // Opaque fields that read as an empty table at the trailer's position + 8.
    trailer.m_nField2 = CVariableTable::kMarker;
    trailer.m_nField4 = 0;
    // The last: a file of exactly 104 bytes, a sound trailer with no room for a table.
    std::string bytes = original.substr(0, offset ? trailerAt : 0) + Encode(trailer);
    // Less room than a table's header: its marker, as far as it fits.
    if (offset >= trailerAt - 11 && offset < trailerAt) {
      bytes.replace(offset, std::min(4, trailerAt - offset),
                    Scrambled(CVariableTable::kMarker).substr(0, trailerAt - offset));
    }
    ExpectRefused(true, bytes);
  }
  // Exactly a table's header before the trailer: an empty table.
  WriteEBook(EBookPath(), program, CVariableTable{}, SampleTrailer());
  EXPECT_EQ(Load().GetSize(), 0);
  EXPECT_TRUE(ui.messages.empty());
}

// Files too long for 32-bit positions, made sparse so they cost no disk, are
// unreadable and never written; a store that would end past the last
// position is undone.
TEST_F(TableIoTest, LargeFilesStayWithinThirtyTwoBitPositions) {
  const std::string trailer = original.substr(original.size() - kTrailerSize);
  for (int64_t length : {int64_t{1} << 31, (int64_t{1} << 32) + int64_t(original.size())}) {
    SCOPED_TRACE(length);
    WriteLarge(length, trailer);
    EXPECT_FALSE(CEBookFile().Validate());
    ExpectOnlyMessage(kCorrupt);
    ExpectRefused(true);
    EXPECT_EQ(fs::file_size(EBookPath()), uint64_t(length));
  }
  // The sample table directly before the trailer, near the top of the range.
  const int64_t length = INT_MAX - 200;
  const std::string table = Encode(SampleTable());
  fs::resize_file(EBookPath(), 0);
  CEBookTrailer moved = SampleTrailer();
  moved.m_nTableOffset = static_cast<int32_t>(length - kTrailerSize - table.size());
  WriteLarge(length, table + Encode(moved));
  CVariableTable grown = Edited(SampleTable()[0].m_strValue + std::string(20, '+'));
  ASSERT_TRUE(CEBookFile().StoreTable(grown)) << "growing within the range works";
  // The first leaves the trailer no room below the last position, the second
  // the table itself.
  for (int more : {230, 500}) {
    EXPECT_FALSE(CEBookFile().StoreTable(Edited(grown[0].m_strValue + std::string(more, '+'))));
    ExpectOnlyMessage(kErrorWriting);
    EXPECT_EQ(fs::file_size(EBookPath()), uint64_t(length + 20)) << more;
    ExpectStored(grown);
  }
}

}  // namespace
}  // namespace ebook_testing
