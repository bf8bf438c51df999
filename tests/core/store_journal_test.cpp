// The rollback journal of a store, and recovery from the journal an
// interrupted store left behind: torn, damaged or stale journals, an E-Book in
// use, and what the user is told.
#include "ebook/store_journal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "ebook/ebook_file.h"
#include "ebook/store_recovery.h"
#include "platform/durable_files.h"
#include "tests/core/ebook_fixture.h"
#include "tests/core/other_process.h"

namespace {

using namespace ebook_testing;
using namespace formats;
using namespace platform;
using ebook::CEBookFile;
using ebook::RecoverStore;
using ebook::RecoveryOutcome;

class JournalTest : public EBookTest {
 protected:
  // The E-Book as a store leaves it half-way: the table partly overwritten
  // and the trailer gone.
  std::string TearEBook(size_t keep) {
    const std::string torn = original.substr(0, keep) + std::string(300, '\x5a');
    WriteFileBytes(EBookPath(), torn);
    return torn;
  }
};

TEST_F(JournalTest, JournalLiesBesideTheEBookAndKeepsEverythingAfterTheTable) {
  WriteJournalForEBook();
  EXPECT_EQ(JournalPath(), dir.File("book.exe.rebrander-journal"));
  const HFILE ebook = _lopen(EBookPath(), OF_SHARED_READ);
  FileIdentity identity;
  ASSERT_TRUE(GetFileIdentity(ebook, identity));
  _lclose(ebook);
  const std::string bytes = ReadFileBytes(JournalPath());
  ebook::CStoreJournal journal;
  ASSERT_EQ(ebook::DecodeJournal(bytes, journal), ebook::JournalRead::kWhole);
  EXPECT_EQ(journal.m_backup.Offset(), tableOffset);
  EXPECT_EQ(journal.m_backup.Length(), static_cast<int32_t>(original.size()));
  EXPECT_EQ(journal.m_backup.Bytes(), original.substr(tableOffset));
  EXPECT_EQ(journal.m_identity.m_nDevice, identity.device);
  EXPECT_EQ(journal.m_identity.m_nInode, identity.inode);
}

// A journal that is not whole was never finished, so no store had touched the
// E-Book: whatever it holds now must stay.
TEST_F(JournalTest, CutOrDamagedJournalIsDiscardedAndTheEBookLeftAsItIs) {
  WriteJournalForEBook();
  const std::string journal = ReadFileBytes(JournalPath());
  const std::string ebook = TearEBook(tableOffset + 20);
  std::vector<std::string> damaged = {journal + "x"};
  for (size_t at = 0; at < journal.size(); ++at) {
    damaged.push_back(journal.substr(0, at));
    if (ebook::journal_layout::kVersion.at <= at && at < ebook::journal_layout::kVersion.end()) {
      continue;  // a higher version is a newer journal
    }
    damaged.push_back(journal);
    damaged.back()[at] ^= static_cast<char>(at % 2 ? 0x01 : 0xff);
  }
  for (size_t i = 0; i < damaged.size(); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    WriteFileBytes(JournalPath(), damaged[i]);
    ASSERT_EQ(RecoverStore(EBookPath()), RecoveryOutcome::kDiscarded);
    ASSERT_FALSE(JournalExists());
    ASSERT_EQ(ReadFileBytes(EBookPath()), ebook);
  }
  // The user's Finish came to nothing either way.
  WriteFileBytes(JournalPath(), "");
  EXPECT_TRUE(CEBookFile().RecoverInterruptedStore(ebook::EBookUse::kCustomize));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, kInterruptedUndone);
}

// What proves the E-Book is the journal's: the same file, with the same head
// and end of the program before the table (the middle of a large one is not read).
TEST_F(JournalTest, JournalOfAReplacedEBookIsRemovedAndTheEBookLeftAlone) {
  program = std::string(3 * ebook::kIdentitySpan, 'p');
  tableOffset = static_cast<int32_t>(program.size());
  WriteSampleEBook();
  std::vector<std::pair<std::string, std::function<void()>>> replacements = {
      {"a new file under the name, only its table differs",
       [&] {
         WriteEBook(dir.File("download"), program, Edited("Another"), SampleTrailer());
         std::filesystem::rename(dir.File("download"), EBookPath());
       }},
      {"cut shorter than the table offset",
       [&] { WriteFileBytes(EBookPath(), original.substr(0, tableOffset - 1)); }},
  };
  for (size_t at : {size_t{0}, size_t(ebook::kIdentitySpan - 1), size_t(2 * ebook::kIdentitySpan),
                    program.size() - 1}) {
    replacements.push_back({"program byte " + std::to_string(at) + " differs", [&, at] {
                              std::string changed = original;
                              changed[at] = 'x';
                              WriteFileBytes(EBookPath(), changed);
                            }});
  }
  for (const auto& [what, replace] : replacements) {
    SCOPED_TRACE(what);
    WriteFileBytes(EBookPath(), original);
    WriteJournalForEBook();
    replace();
    const std::string replaced = ReadFileBytes(EBookPath());
    EXPECT_TRUE(CEBookFile().RecoverInterruptedStore(ebook::EBookUse::kCustomize));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(JournalExists());
    EXPECT_EQ(ReadFileBytes(EBookPath()), replaced);
  }
  // The same E-Book, changed only from the table on, is rolled back.
  WriteFileBytes(EBookPath(), original);
  WriteJournalForEBook();
  TearEBook(tableOffset + 30);
  EXPECT_EQ(RecoverStore(EBookPath()), RecoveryOutcome::kRolledBack);
  EXPECT_EQ(ReadFileBytes(EBookPath()), original);
}

TEST_F(JournalTest, JournalStaysForALaterClickWhileTheEBookIsInUseOrCannotBeWritten) {
  WriteJournalForEBook();
  const std::string torn = TearEBook(tableOffset + 30);
  {
    testing_support::OtherProcess holder(testing_support::OpensPlainly(EBookPath()));
    ASSERT_TRUE(holder.Ready());
    EXPECT_TRUE(CEBookFile().RecoverInterruptedStore(ebook::EBookUse::kCustomize));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(JournalExists());
    EXPECT_EQ(ReadFileBytes(EBookPath()), torn);
  }
  for (IoOperation failing : {IoOperation::Write, IoOperation::Truncate, IoOperation::Flush}) {
    SetIoFaultHook([&](IoOperation operation) { return operation != failing; });
    EXPECT_FALSE(CEBookFile().RecoverInterruptedStore(ebook::EBookUse::kCustomize));
    ExpectOnlyMessage(kErrorWriting);
    EXPECT_TRUE(JournalExists());
  }
  SetIoFaultHook({});
  EXPECT_EQ(RecoverStore(EBookPath()), RecoveryOutcome::kRolledBack);
  EXPECT_EQ(ReadFileBytes(EBookPath()), original);
}

// A journal that may be the only copy of the E-Book's old bytes but cannot be
// applied stays, and so does the E-Book; viewing goes on, customizing not.
TEST_F(JournalTest, NewerOrUntrustedJournalIsLeftWithTheEBookAndStopsOnlyCustomizing) {
  WriteJournalForEBook();
  const std::string whole = ReadFileBytes(JournalPath());
  const std::string elsewhere = dir.File("elsewhere");
  WriteFileBytes(elsewhere, whole);
  std::string newer = whole.substr(0, ebook::journal_layout::kVersion.end()) + "next format";
  newer[ebook::journal_layout::kVersion.at] = ebook::journal_layout::kFormatVersion + 1;
  namespace fs = std::filesystem;
  struct Case {
    std::string what;
    std::function<void()> plant;
    RecoveryOutcome outcome = RecoveryOutcome::kUntrusted;
  };
  std::vector<Case> cases = {
      {"a newer version", [&] { WriteFileBytes(JournalPath(), newer); },
       RecoveryOutcome::kNewerJournal},
      {"a folder", [&] { fs::create_directory(JournalPath()); }},
  };
#ifndef _WIN32  // MinGW's library makes no links, Wine's files carry no modes
  const auto plantWith = [&](auto change) {
    return [&, change] {
      WriteFileBytes(JournalPath(), whole);
      ASSERT_EQ(change(JournalPath().c_str()), 0);
    };
  };
  cases.push_back({"a symbolic link", [&] { fs::create_symlink(elsewhere, JournalPath()); }});
  cases.push_back({"a FIFO", [&] { ASSERT_EQ(mkfifo(JournalPath().c_str(), 0600), 0); }});
  cases.push_back(
      {"writable by the group", plantWith([](const char* p) { return chmod(p, 0620); })});
  cases.push_back({"writable by others", plantWith([](const char* p) { return chmod(p, 0602); })});
  if (geteuid() == 0) {
    cases.push_back(
        {"another user's", plantWith([](const char* p) { return chown(p, 4321, -1); })});
  }
#endif
  const std::string torn = TearEBook(tableOffset + 30);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.plant();
    const auto planted = fs::symlink_status(JournalPath());
    EXPECT_EQ(RecoverStore(EBookPath()), c.outcome);
    EXPECT_TRUE(CEBookFile().RecoverInterruptedStore(ebook::EBookUse::kView));
    EXPECT_FALSE(CEBookFile().RecoverInterruptedStore(ebook::EBookUse::kCustomize));
    ASSERT_EQ(ui.messages.size(), 2u);
    for (const auto& message : ui.messages) {
      EXPECT_EQ(message.text, c.outcome == RecoveryOutcome::kNewerJournal ? kNewerJournalText
                                                                          : kUntrustedJournalText);
      EXPECT_EQ(message.icon, MessageIcon::Exclamation);
    }
    ui.messages.clear();
    EXPECT_EQ(fs::symlink_status(JournalPath()).type(), planted.type()) << "the journal stays";
    EXPECT_EQ(ReadFileBytes(EBookPath()), torn);
    fs::remove_all(JournalPath());
  }
#ifndef _WIN32
  // The E-Book's owner's journal is applied, whoever runs the recovery.
  if (geteuid() == 0) {
    WriteFileBytes(JournalPath(), whole);
    ASSERT_EQ(chown(JournalPath().c_str(), 4321, -1), 0);
    ASSERT_EQ(chown(EBookPath().c_str(), 4321, -1), 0);
    EXPECT_EQ(RecoverStore(EBookPath()), RecoveryOutcome::kRolledBack);
    EXPECT_EQ(ReadFileBytes(EBookPath()), original);
  }
#endif
}

TEST_F(JournalTest, StoreRefusesToStartBesideAnotherJournal) {
  WriteJournalForEBook();
  const std::string journal = ReadFileBytes(JournalPath());
  IoRecorder io;
  EXPECT_FALSE(CEBookFile().StoreTable(Edited("Not stored")));
  ExpectOnlyMessage(kErrorWriting);
  EXPECT_EQ(ReadFileBytes(EBookPath()), original);
  EXPECT_EQ(ReadFileBytes(JournalPath()), journal);
  EXPECT_EQ(io.Pattern(), "W") << "only the refused creation of the journal";
}

// The journal and its folder reach the disk before the E-Book changes, the
// E-Book before the journal goes. Whichever change fails, the E-Book is as it
// was and no journal, descriptor or handle is left.
TEST_F(JournalTest, StoreWhoseEveryChangeFailsInTurnLeavesTheEBookAsItWas) {
  CVariableTable shrunk = SampleTable();
  shrunk[1].m_strValue = "x";
  const size_t handles = testing_support::OpenHandleCount();
  for (const CVariableTable& table : {Edited(std::string(400, 'g')), shrunk}) {
    int last = 0;
    WriteFileBytes(EBookPath(), original);
    {
      IoRecorder io;
      ASSERT_TRUE(CEBookFile().StoreTable(table));
      EXPECT_EQ(io.Pattern(), "WFFWFRF");
      last = static_cast<int>(io.operations.size());
    }
    const std::string stored = ReadFileBytes(EBookPath());
    EXPECT_FALSE(JournalExists());
    for (int n = 1; n <= last; ++n) {
      SCOPED_TRACE("failing change " + std::to_string(n) + " of " + std::to_string(last));
      WriteFileBytes(EBookPath(), original);
      IoRecorder io(n);
      // The store counts once the journal is removed: the folder's flush
      // after that cannot undo it.
      EXPECT_EQ(CEBookFile().StoreTable(table), n == last);
      EXPECT_TRUE(ReadFileBytes(EBookPath()) == (n == last ? stored : original));
      EXPECT_FALSE(JournalExists());
      if (n < last) ExpectOnlyMessage(kErrorWriting);
    }
  }
  EXPECT_EQ(testing_support::OpenHandleCount(), handles);
}

}  // namespace
