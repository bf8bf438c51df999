// The rollback journal of a store, and recovery from the journal an
// interrupted store left behind: torn, damaged or stale journals, an E-Book in
// use, and what the user is told.
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <functional>

#include "ebook/checksum.h"
#include "ebook/store_recovery.h"
#include "tests/core/ebook_fixture.h"

namespace ebook_testing {
namespace {

using ebook::EBookUse;
using ebook::RecoverStore;
using ebook::RecoveryOutcome;
namespace layout = ebook::journal_layout;

// The journal of a store that stopped once the journal was on the disk,
// beside an E-Book whose program is large enough that the middle of it is not
// read for its identity.
class LeftJournalTest : public EBookTest {
 protected:
  void SetUp() override {
    EBookTest::SetUp();
    program = std::string(3 * ebook::kIdentitySpan, 'p');
    tableOffset = static_cast<int32_t>(program.size());
    WriteSampleEBook();
    // Stopped dead after the journal's flush and its folder's.
    int flushes = 0;
    SetIoFaultHook([&](IoOperation operation) {
      return flushes < 2 && (flushes += operation == IoOperation::Flush, true);
    });
    EXPECT_FALSE(CEBookFile().StoreTable(Edited("Never stored")));
    SetIoFaultHook({});
    ui.messages.clear();
    journal = ReadFileBytes(JournalPath());
    ASSERT_TRUE(JournalExists());
  }
  // The E-Book as a store leaves it half-way: the table partly overwritten
  // and the trailer gone.
  std::string TearEBook() {
    const std::string torn = original.substr(0, tableOffset + 30) + std::string(300, '\x5a');
    WriteFileBytes(EBookPath(), torn);
    return torn;
  }
  std::string journal;
};

// A journal of the first format, checked byte by byte (FNV-1a), may still
// wait beside an E-Book from an older rebrander: it rolls back as before.
TEST_F(LeftJournalTest, JournalOfTheFirstFormatStillRollsBack) {
  ebook::CChecksum bytewise(ebook::ChecksumKind::kBytewise);
  bytewise.Add("a", 1);
  EXPECT_EQ(bytewise.Value(), 0xaf63dc4c8601ec8cu);
  ebook::CStoreJournal first;
  ASSERT_EQ(ebook::DecodeJournal(journal, first), ebook::JournalRead::kWhole);
  first.m_nFormatVersion = 1;
  const HFILE file = _lopen(EBookPath(), OF_SHARED_READ);
  ASSERT_TRUE(ebook::IdentifyEBook(file, tableOffset, first.m_identity, 1));
  _lclose(file);
  WriteFileBytes(JournalPath(), ebook::EncodeJournal(first));
  TearEBook();
  EXPECT_EQ(RecoverStore(EBookPath()), RecoveryOutcome::kRolledBack);
  EXPECT_EQ(ReadFileBytes(EBookPath()), original);
}

// Whichever change of the roll-back fails.
TEST_F(LeftJournalTest, FailedRollBackKeepsTheJournalAndSaysSo) {
  for (IoOperation failing : {IoOperation::Write, IoOperation::Truncate, IoOperation::Flush}) {
    SCOPED_TRACE(static_cast<int>(failing));
    TearEBook();
    SetIoFaultHook([&](IoOperation operation) { return operation != failing; });
    EXPECT_FALSE(CEBookFile().RecoverInterruptedStore(EBookUse::kCustomize));
    SetIoFaultHook({});
    ExpectOnlyMessage(kErrorWriting);
    EXPECT_TRUE(journal == ReadFileBytes(JournalPath())) << "the journal changed";
  }
}

// A journal that is not whole was never finished, so no store touched the
// E-Book: every cut, every changed byte (but a higher version, which is
// newer) and a byte too many.
TEST_F(LeftJournalTest, JournalThatIsNotWholeIsDiscardedAndTheEBookLeftAlone) {
  const std::string torn = TearEBook();
  std::vector<std::string> damaged = {journal + "x"};
  for (size_t at = 0; at < journal.size(); ++at) {
    damaged.push_back(journal.substr(0, at));
    if (at < layout::kVersion.at || at >= layout::kVersion.end()) {
      damaged.push_back(journal);
      damaged.back()[at] ^= static_cast<char>(at % 2 ? 0x01 : 0xff);
    }
  }
  for (const std::string& bytes : damaged) {
    WriteFileBytes(JournalPath(), bytes);
    ASSERT_EQ(RecoveryOutcome::kDiscarded, RecoverStore(EBookPath())) << bytes.size() << " bytes";
    ASSERT_FALSE(JournalExists()) << bytes.size() << " bytes";
  }
  EXPECT_TRUE(torn == ReadFileBytes(EBookPath())) << "the E-Book changed";
}

// The user's Finish came to nothing either way.
TEST_F(LeftJournalTest, DiscardedJournalTellsTheUserTheCustomizationWasUndone) {
  WriteFileBytes(JournalPath(), "");
  EXPECT_TRUE(CEBookFile().RecoverInterruptedStore(EBookUse::kCustomize));
  ExpectOnlyMessage(kInterruptedUndone, MessageIcon::Information);
}

// What proves that the E-Book is the journal's is the same file with the same
// head and end of the program before the table; the middle of a large one is
// not read. Another file is left alone and the journal goes, silently.
TEST_F(LeftJournalTest, JournalOfAnotherFileIsDiscardedSilently) {
  const auto changed = [&](size_t at) { return std::string(original).replace(at, 1, "x"); };
  const std::string downloaded =
      WriteEBook(dir.File("download"), program, Edited("Another"), SampleTrailer());
  // Each written over the E-Book in place, but the last, which is renamed
  // over it.
  const std::pair<const char*, std::string> others[] = {
      {"last byte of the head", changed(ebook::kIdentitySpan - 1)},
      {"first byte of the end", changed(2 * ebook::kIdentitySpan)},
      {"a new file, only its table differs", downloaded}};
  for (const auto& [what, other] : others) {
    SCOPED_TRACE(what);
    if (other == downloaded) fs::rename(dir.File("download"), EBookPath());
    if (other != downloaded) WriteFileBytes(EBookPath(), other);
    WriteFileBytes(JournalPath(), journal);
    EXPECT_TRUE(CEBookFile().RecoverInterruptedStore(EBookUse::kCustomize));
    EXPECT_TRUE(other == ReadFileBytes(EBookPath())) << "the E-Book changed";
    EXPECT_FALSE(JournalExists());
    EXPECT_TRUE(ui.messages.empty()) << ui.messages.size() << " messages";
  }
}

// A journal that may be the only copy of the E-Book's old bytes but cannot be
// applied stays, and so does the E-Book; viewing goes on, customizing not.
TEST_F(LeftJournalTest, NewerOrUntrustedJournalIsLeftWithTheEBookAndStopsOnlyCustomizing) {
  const Path place = JournalPath();
  std::string newer = journal.substr(0, layout::kVersion.end()) + "next format";
  newer[layout::kVersion.at] = layout::kFormatVersion + 1;
  const std::function<bool()> plants[] = {
      [&] { return WriteFileBytes(place, newer), true; },
      [&] { return fs::create_directory(place); },
#ifndef _WIN32  // MinGW's library makes no links, Wine's files carry no modes
      [&] { return symlink(dir.File("elsewhere").c_str(), place.c_str()) == 0; },
      [&] { return WriteFileBytes(place, journal), chmod(place.c_str(), 0620) == 0; },
#endif
  };
  WriteFileBytes(dir.File("elsewhere"), journal);
  const std::string torn = TearEBook();
  for (size_t i = 0; i < std::size(plants); ++i) {
    SCOPED_TRACE(i);
    ASSERT_TRUE(plants[i]());
    const auto planted = fs::symlink_status(place).type();
    EXPECT_EQ(RecoverStore(EBookPath()),
              i == 0 ? RecoveryOutcome::kNewerJournal : RecoveryOutcome::kUntrusted);
    const std::string& text = i == 0 ? kNewerJournalText : kUntrustedJournalText;
    EXPECT_TRUE(CEBookFile().RecoverInterruptedStore(EBookUse::kView));
    ExpectOnlyMessage(text);
    EXPECT_FALSE(CEBookFile().RecoverInterruptedStore(EBookUse::kCustomize));
    ExpectOnlyMessage(text);
    EXPECT_EQ(fs::symlink_status(place).type(), planted) << "the journal stays";
    EXPECT_EQ(ReadFileBytes(EBookPath()), torn);
    fs::remove_all(place);
  }
}

}  // namespace
}  // namespace ebook_testing
