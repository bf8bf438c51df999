// The rollback journal of a store, and recovery from the journal an
// interrupted store left behind: torn, damaged or stale journals, an E-Book in
// use, and what the user is told.
#include "ebook/store_journal.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <set>

#include "ebook/ebook_file.h"
#include "ebook/store_recovery.h"
#include "tests/core/ebook_fixture.h"
#include "tests/core/expected_messages.h"
#include "tests/core/other_process.h"

namespace {

using namespace ebook_testing;
using namespace formats;
using namespace platform;
using ebook::CEBookFile;
using ebook::RecoverStore;
using ebook::RecoveryOutcome;
using testing_support::HoldingProcess;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

std::set<std::string> OpenDescriptors() {
  std::set<std::string> names;
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return names;
  const std::string own = std::to_string(dirfd(dir));
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != ".." && name != own) names.insert(name);
  }
  closedir(dir);
  return names;
}

class JournalTest : public EBookTest {
 protected:
  void SetUp() override {
    EBookTest::SetUp();
    WriteSampleEBook();
    original = ReadFileBytes(EBookPath());
  }

  // The E-Book as a store leaves it half-way: the table partly overwritten
  // and the trailer gone.
  std::string TearEBook(size_t keep) {
    std::string torn = original.substr(0, keep) + std::string(300, '\x5a');
    WriteFileBytes(EBookPath(), torn);
    return torn;
  }

  int32_t tableOffset = static_cast<int32_t>(program.size());
  std::string original;
};

TEST_F(JournalTest, JournalLiesBesideTheEBookForItsOwnerAndKeepsEverythingAfterTheTable) {
  WriteJournalForEBook();
  EXPECT_EQ(JournalPath(), dir.File("book.exe.rebrander-journal"));
  struct stat st;
  ASSERT_EQ(stat(JournalPath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  const std::string bytes = ReadFileBytes(JournalPath());
  const std::string tail = original.substr(tableOffset);
  EXPECT_EQ(bytes.size(), 44 + tail.size() + 8);
  EXPECT_EQ(bytes.substr(0, 8), "RBJOURNL");
  EXPECT_EQ(bytes.substr(44, tail.size()), tail) << "kept as it is, not scrambled";

  ebook::CStoreJournal journal;
  ASSERT_TRUE(ebook::DecodeJournal(bytes, journal));
  EXPECT_EQ(journal.m_backup.Offset(), tableOffset);
  EXPECT_EQ(journal.m_backup.Length(), static_cast<int32_t>(original.size()));
  EXPECT_EQ(journal.m_backup.Bytes(), tail);
  struct stat ebookStat;
  ASSERT_EQ(stat(EBookPath().c_str(), &ebookStat), 0);
  EXPECT_EQ(journal.m_identity.m_nInode, static_cast<uint64_t>(ebookStat.st_ino));
  EXPECT_EQ(journal.m_identity.m_nDevice, static_cast<uint64_t>(ebookStat.st_dev));
  EXPECT_EQ(ebook::EncodeJournal(journal), bytes);

  EXPECT_FALSE(ebook::WriteJournal(JournalPath(), journal)) << "an existing journal is kept";
  EXPECT_EQ(ReadFileBytes(JournalPath()), bytes);
}

TEST_F(JournalTest, InterruptedStoreIsRolledBackAndTheUserIsToldOnce) {
  const size_t tears[] = {static_cast<size_t>(tableOffset) + 5, original.size() - 50,
                          original.size() + 400};
  for (size_t keep : tears) {
    SCOPED_TRACE(keep);
    WriteFileBytes(EBookPath(), original);
    WriteJournalForEBook();
    const std::string torn = keep > original.size()
                                 ? original + std::string(keep - original.size(), 't')
                                 : TearEBook(keep);
    WriteFileBytes(EBookPath(), torn);
    ui.messages.clear();

    EXPECT_TRUE(CEBookFile().RecoverInterruptedStore());
    EXPECT_EQ(ReadFileBytes(EBookPath()), original);
    EXPECT_FALSE(JournalExists());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kInterruptedUndone);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(ui.messages[0].caption, "rebrander");
    EXPECT_TRUE(CEBookFile().Validate());

    EXPECT_TRUE(CEBookFile().RecoverInterruptedStore());
    EXPECT_EQ(ui.messages.size(), 1u) << "nothing more to tell";
  }
}

TEST_F(JournalTest, CutOrDamagedJournalIsDiscardedAndTheEBookLeftAsItIs) {
  WriteJournalForEBook();
  const std::string journal = ReadFileBytes(JournalPath());
  // Whatever the E-Book holds now must stay: a journal that is not whole
  // was never finished, so no store had touched the E-Book.
  const std::string ebook = TearEBook(tableOffset + 20);
  std::vector<std::string> damaged;
  for (size_t length = 0; length < journal.size(); ++length)
    damaged.push_back(journal.substr(0, length));
  for (size_t at = 0; at < journal.size(); ++at) {
    std::string flipped = journal;
    flipped[at] = static_cast<char>(flipped[at] ^ (at % 2 ? 0x01 : 0xff));
    damaged.push_back(flipped);
  }
  damaged.push_back(journal + "x");
  for (size_t i = 0; i < damaged.size(); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    WriteFileBytes(JournalPath(), damaged[i]);
    ASSERT_EQ(RecoverStore(EBookPath()), RecoveryOutcome::kDiscarded);
    ASSERT_FALSE(JournalExists());
    ASSERT_EQ(ReadFileBytes(EBookPath()), ebook);
  }
  // The user's Finish came to nothing either way.
  WriteFileBytes(JournalPath(), "");
  EXPECT_TRUE(CEBookFile().RecoverInterruptedStore());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, kInterruptedUndone);
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Information);
}

TEST_F(JournalTest, JournalOfAReplacedEBookIsRemovedAndTheEBookLeftAlone) {
  CVariableTable other = SampleTable();
  other[0].m_strValue = "Another book's title";
  std::string headChanged = original;
  headChanged[1] = 'x';
  std::string endOfProgramChanged = original;
  endOfProgramChanged[tableOffset - 1] = 'x';
  const std::pair<std::string, std::function<void()>> replacements[] = {
      {"a new file under the name",
       [&] {
         const std::string replacement = dir.File("download");
         WriteEBook(replacement, program, other, SampleTrailer());
         ASSERT_EQ(rename(replacement.c_str(), EBookPath().c_str()), 0);
       }},
      {"rewritten in place, start of program differs",
       [&] { WriteFileBytes(EBookPath(), headChanged); }},
      {"rewritten in place, end of program differs",
       [&] { WriteFileBytes(EBookPath(), endOfProgramChanged); }},
      {"cut shorter than the table offset",
       [&] { WriteFileBytes(EBookPath(), original.substr(0, tableOffset - 1)); }},
  };
  for (const auto& [what, replace] : replacements) {
    SCOPED_TRACE(what);
    WriteFileBytes(EBookPath(), original);
    WriteJournalForEBook();
    replace();
    const std::string replaced = ReadFileBytes(EBookPath());
    ui.messages.clear();
    EXPECT_TRUE(CEBookFile().RecoverInterruptedStore());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(JournalExists());
    EXPECT_EQ(ReadFileBytes(EBookPath()), replaced);
  }
}

TEST_F(JournalTest, OnlyTheProgramsHeadAndEndCountForTheIdentityOfALargeEBook) {
  // Three spans' worth of program: the middle one is not read.
  program = std::string(3 * ebook::kIdentitySpan, 'p');
  WriteSampleEBook();
  original = ReadFileBytes(EBookPath());
  for (size_t at : {size_t{0}, size_t(ebook::kIdentitySpan - 1), size_t(2 * ebook::kIdentitySpan),
                    program.size() - 1}) {
    SCOPED_TRACE(at);
    WriteFileBytes(EBookPath(), original);
    WriteJournalForEBook();
    std::string changed = original;
    changed[at] = 'x';
    WriteFileBytes(EBookPath(), changed);
    EXPECT_EQ(RecoverStore(EBookPath()), RecoveryOutcome::kStale);
    EXPECT_EQ(ReadFileBytes(EBookPath()), changed);
  }
  WriteFileBytes(EBookPath(), original);
  WriteJournalForEBook();
  TearEBook(program.size() + 30);
  EXPECT_EQ(RecoverStore(EBookPath()), RecoveryOutcome::kRolledBack);
  EXPECT_EQ(ReadFileBytes(EBookPath()), original);
}

TEST_F(JournalTest, EBookInUseKeepsItsJournalForALaterClick) {
  WriteJournalForEBook();
  const std::string torn = TearEBook(tableOffset + 30);
  {
    HoldingProcess holder([path = EBookPath()] { return open(path.c_str(), O_RDONLY) >= 0; });
    ASSERT_TRUE(holder.Opened());
    EXPECT_TRUE(CEBookFile().RecoverInterruptedStore());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(JournalExists());
    EXPECT_EQ(ReadFileBytes(EBookPath()), torn);
  }
  EXPECT_EQ(RecoverStore(EBookPath()), RecoveryOutcome::kRolledBack);
  EXPECT_EQ(ReadFileBytes(EBookPath()), original);
}

TEST_F(JournalTest, RollBackThatCannotBeWrittenSaysSoAndKeepsTheJournal) {
  WriteJournalForEBook();
  const std::string torn = TearEBook(tableOffset + 30);
  for (IoOperation failing : {IoOperation::Write, IoOperation::Truncate, IoOperation::Flush}) {
    SetIoFaultHook([&](IoOperation operation) { return operation != failing; });
    ui.messages.clear();
    EXPECT_FALSE(CEBookFile().RecoverInterruptedStore());
    ExpectOnlyMessage(kErrorWriting);
    EXPECT_TRUE(JournalExists());
  }
  SetIoFaultHook({});
  EXPECT_EQ(RecoverStore(EBookPath()), RecoveryOutcome::kRolledBack);
  EXPECT_EQ(ReadFileBytes(EBookPath()), original);
}

TEST_F(JournalTest, StoreRemovesItsJournalAndRefusesToStartBesideAnother) {
  CVariableTable table = SampleTable();
  table[0].m_strValue = "Stored";
  ASSERT_TRUE(CEBookFile().StoreTable(table));
  EXPECT_FALSE(JournalExists());
  const std::string stored = ReadFileBytes(EBookPath());

  // A journal that is not this store's own is neither overwritten nor removed.
  WriteJournalForEBook();
  const std::string journal = ReadFileBytes(JournalPath());
  IoRecorder io;
  table[0].m_strValue = "Not stored";
  EXPECT_FALSE(CEBookFile().StoreTable(table));
  ExpectOnlyMessage(kErrorWriting);
  EXPECT_EQ(ReadFileBytes(EBookPath()), stored);
  EXPECT_EQ(ReadFileBytes(JournalPath()), journal);
  EXPECT_EQ(io.writes, 1) << "only the refused creation of the journal";
}

TEST_F(JournalTest, StoreWhoseEveryChangeFailsInTurnLeavesTheEBookAsItWasAndNoJournal) {
  CVariableTable grown = SampleTable();
  grown[0].m_strValue = std::string(400, 'g');
  grown.m_bRebranded = 1;
  CVariableTable shrunk = SampleTable();
  shrunk[1].m_strValue = "x";
  const std::set<std::string> descriptors = OpenDescriptors();
  for (const CVariableTable& table : {grown, shrunk}) {
    std::vector<IoOperation> operations;
    WriteFileBytes(EBookPath(), original);
    {
      IoRecorder io;
      ASSERT_TRUE(CEBookFile().StoreTable(table));
      operations = io.operations;
    }
    EXPECT_EQ(std::count(operations.begin(), operations.end(), IoOperation::Flush), 4);
    EXPECT_EQ(std::count(operations.begin(), operations.end(), IoOperation::Remove), 1);
    const std::string stored = ReadFileBytes(EBookPath());
    const int last = static_cast<int>(operations.size());
    for (int n = 1; n <= last; ++n) {
      SCOPED_TRACE("failing change " + std::to_string(n) + " of " + std::to_string(last));
      WriteFileBytes(EBookPath(), original);
      ui.messages.clear();
      IoRecorder io;
      io.failChange = n;
      // The store counts once the journal is removed: the folder's flush
      // after that cannot undo it.
      EXPECT_EQ(CEBookFile().StoreTable(table), n == last);
      EXPECT_TRUE(ReadFileBytes(EBookPath()) == (n == last ? stored : original));
      EXPECT_FALSE(JournalExists());
      if (n < last) ExpectOnlyMessage(kErrorWriting);
    }
  }
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

}  // namespace
