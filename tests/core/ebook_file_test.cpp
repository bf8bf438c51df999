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
  EXPECT_TRUE(CEBookFile().Validate());
  EXPECT_TRUE(ui.messages.empty());
  const auto with = [&](const std::string& id, int32_t version) {
    return WriteEBook(dir.File("scratch"), program, SampleTable(), SampleTrailer(id, version));
  };
  const std::pair<std::string, std::string> cases[] = {
      {std::string(50, 't'), kCorrupt},  // shorter than a trailer
      {original.substr(0, original.size() - 1) + char(original.back() ^ 1), kCorrupt},
      {with("Another-Book", kVersion), kDifferentEBook},
      {with("Sample-Book-2024 ", kVersion), kDifferentEBook},
      {with("Other", kVersion + 1), kDifferentEBook},
      {with(kEBookId, -kVersion), kDifferentVersion},
      {"", NotFoundText(TextFromPath(dir.Path() + kPathSeparator))},
      {"folder", NotFoundText(TextFromPath(dir.Path() + kPathSeparator))},
  };
  for (const auto& [bytes, message] : cases) {
    SCOPED_TRACE(bytes.size());
    fs::remove(EBookPath());
    if (bytes == "folder") fs::create_directory(EBookPath());
    if (bytes.size() > 6) WriteFileBytes(EBookPath(), bytes);
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
  WriteEBook(EBookPath(), ReadFileBytes(ChildProgramPath()), SampleTable(), SampleTrailer());
  fs::permissions(EBookPath(), fs::perms::owner_exec, fs::perm_options::add);
  const struct {
    std::optional<ChildCommand> holder;
    size_t releaseAfter;  // sleeps; 0 for never
    size_t sleeps;        // of 1000 ms; five means the probe failed
  } cases[] = {
      {std::nullopt, 0, 0},
      {OpensPlainly(EBookPath()), 5, 5},  // freed only after the last sleep
      {Runs(EBookPath()), 0, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.holder ? (*c.holder)[1] + std::to_string(c.releaseAfter) : "free");
    sleeps.clear();
    ui.waitCursor.clear();
    if (c.holder) {
      ASSERT_TRUE(holder.emplace(*c.holder).Ready()) << "the holder did not start";
    }
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
}

// A shorter table leaves the rest of the old one before the trailer, which
// stays where it was; a longer one pushes the trailer behind it.
TEST_F(EBookTest, StoreWritesTheTableInPlaceWithTheTrailerLastAndUnchanged) {
  const std::pair<int32_t, CVariableTable> cases[] = {
      {0, Edited("Tiny")},
      {37, Edited(SampleTable()[0].m_strValue + std::string(37, '+'))},  // filling the gap exactly
      {0, Edited(std::string(700, 'g'))},
  };
  for (const auto& [gap, table] : cases) {
    SCOPED_TRACE(table[0].m_strValue);
    WriteSampleEBook(gap);
    ASSERT_TRUE(CEBookFile().StoreTable(table));
    const size_t trailerAt = original.size() - CEBookTrailer::kSize;
    const size_t tableEnd = std::min(tableOffset + Encode(table).size(), trailerAt);
    const std::string expected = original.substr(0, tableOffset) + Encode(table) +
                                 original.substr(tableEnd, trailerAt - tableEnd) +
                                 original.substr(trailerAt);
    EXPECT_TRUE(expected == ReadFileBytes(EBookPath())) << "not the table in place";
  }
}

// No table at the offset, no trailer, table offsets outside the room between the file's start and
// the trailer, or only a trailer: loading gives the read message, storing the write message, and
// nothing is changed.
TEST_F(EBookTest, UnreadableOrHostileEBookGetsItsMessageAndIsNeverWritten) {
  // Each with whether a store is tried too.
  std::vector<std::pair<std::string, bool>> hostile = {{program, true}, {original, false}};
  hostile[1].first[tableOffset] ^= 0x01;  // the table's start marker
  const int32_t trailerAt = static_cast<int32_t>(original.size()) - CEBookTrailer::kSize;
  // m_nField2, behind the version, where opaque fields read as an empty table.
  const int32_t field2At =
      trailerAt + EBV_TRAILER_VERSION_AT + static_cast<int32_t>(sizeof(int32_t));
  for (int32_t offset :
       {INT_MIN, trailerAt - EBV_TABLE_HEADER_SIZE + 1, trailerAt, field2At, INT_MAX, 0}) {
    CEBookTrailer trailer = SampleTrailer();
    std::tie(trailer.m_nTableOffset, trailer.m_nField2, trailer.m_nField4) =
        std::make_tuple(offset, CVariableTable::kMarker, 0);
    // The last: a file of exactly 104 bytes, a sound trailer with no room for a table.
    hostile.push_back({original.substr(0, offset ? trailerAt : 0) + Encode(trailer), true});
  }
  for (const auto& [bytes, store] : hostile) {
    SCOPED_TRACE(bytes.size());
    WriteFileBytes(EBookPath(), bytes);
    int changes = 0;
    SetIoFaultHook([&](IoOperation) { return ++changes, true; });
    CVariableTable table;
    EXPECT_FALSE(CEBookFile().LoadTable(table));
    ExpectOnlyMessage(kErrorReading);
    if (store) {
      EXPECT_FALSE(CEBookFile().StoreTable(SampleTable()));
      ExpectOnlyMessage(kErrorWriting);
    }
    SetIoFaultHook({});
    EXPECT_EQ(0, changes) << "changes asked for";
    EXPECT_TRUE(ReadFileBytes(EBookPath()) == bytes) << "the E-Book changed";
  }
  // Exactly a table's header before the trailer: an empty table.
  WriteEBook(EBookPath(), program, CVariableTable{}, SampleTrailer());
  EXPECT_EQ(Load().GetSize(), 0);
  EXPECT_TRUE(ui.messages.empty());
}

// Another process holding the E-Book exclusively keeps both out, each with
// its own message.
TEST_F(EBookTest, EBookInUseIsNeitherLoadedNorWritten) {
  OtherProcess holder(LOpens(EBookPath(), OF_EXCLUSIVE_READWRITE));
  ASSERT_TRUE(holder.Ready());
  CVariableTable table;
  EXPECT_FALSE(CEBookFile().LoadTable(table));
  ExpectOnlyMessage(kErrorReading);
  EXPECT_FALSE(CEBookFile().StoreTable(Edited("Not stored")));
  ExpectOnlyMessage(kCantOpenForWriting);
  holder.Kill();
  EXPECT_TRUE(original == ReadFileBytes(EBookPath())) << "the E-Book changed";
  EXPECT_FALSE(JournalExists());
}

// A store grows the file up to the last position and no further: one that
// would leave the trailer, or the table itself, past it is undone.
TEST_F(EBookTest, StoreThatWouldEndPastTheLastPositionIsUndone) {
  const int64_t length = INT_MAX - 200;
  const std::string table = Encode(SampleTable());
  CEBookTrailer moved = SampleTrailer();
  moved.m_nTableOffset = static_cast<int32_t>(length - CEBookTrailer::kSize - table.size());
  // A sparse E-Book that ends with the table and the trailer.
  const std::string tail = table + Encode(moved);
  fs::resize_file(EBookPath(), static_cast<uintmax_t>(length) - tail.size());
  std::ofstream(fs::path(EBookPath()), std::ios::app | std::ios::binary) << tail;
  const std::string grownValue = SampleTable()[0].m_strValue + std::string(20, '+');
  ASSERT_TRUE(CEBookFile().StoreTable(Edited(grownValue))) << "growing within the range";
  for (int more : {230, 500}) {
    EXPECT_FALSE(CEBookFile().StoreTable(Edited(grownValue + std::string(more, '+')))) << more;
    ExpectOnlyMessage(kErrorWriting);
    EXPECT_EQ(uint64_t(length + 20), fs::file_size(EBookPath())) << more;
    EXPECT_EQ(Encode(Edited(grownValue)), Encode(Load())) << more;
  }
}

// A failed read leaves what the caller had.
TEST_F(EBookTest, ReadIdentityFailingLeavesTheOutputsAlone) {
  WriteFileBytes(EBookPath(), program);
  std::string id = "kept";
  int32_t version = -1;
  EXPECT_FALSE(CEBookFile().ReadIdentity(id, version));
  EXPECT_EQ(std::make_pair(std::string("kept"), -1), std::make_pair(id, version));
}

// The rebranding information is read once a process: a stamp changed later
// is not seen until the next start.
TEST_F(EBookTest, RebrandInfoIsLoadedOnceAProcess) {
  const CRebrandInfo* first = &GetRebrandInfo();
  WriteFileBytes(dir.File("rebrander"), "restamped elsewhere");
  EXPECT_EQ(std::make_pair(first, std::string(kEBookId)),
            std::make_pair(static_cast<const CRebrandInfo*>(&GetRebrandInfo()),
                           GetRebrandInfo().Info().m_strEBookId));
}

}  // namespace
}  // namespace ebook_testing
