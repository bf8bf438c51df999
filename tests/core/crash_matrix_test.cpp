// Stores that the process does not survive: a child process stops dead at
// every change of a file in turn, or is killed in the middle of a large store;
// recovery must then give back the E-Book as it was or as fully stored.
#include <gtest/gtest.h>

#include "ebook/ebook_file.h"
#include "tests/core/ebook_fixture.h"
#include "tests/core/other_process.h"

namespace {

using namespace ebook_testing;
using namespace formats;
using namespace platform;
using ebook::CEBookFile;
using testing_support::OtherProcess;

class CrashTest : public EBookTest {
 protected:
  struct Rehearsal {
    std::vector<IoOperation> operations;
    std::string result;  // the E-Book afterwards
  };
  // Runs the store on the original here, noting every change it asks for.
  Rehearsal Rehearse(const CVariableTable& table, int failAt = 0) {
    WriteFileBytes(EBookPath(), original);
    IoRecorder io(failAt);
    EXPECT_EQ(CEBookFile().StoreTable(table), failAt == 0);
    EXPECT_FALSE(JournalExists());
    ui.messages.clear();
    return {io.operations, ReadFileBytes(EBookPath())};
  }

  // The test child storing the table into the original E-Book for the
  // rebrander; see test_child.cpp.
  testing_support::ChildCommand StoreCommand(const CVariableTable& table, int stopAt, int failAt,
                                             bool signal) {
    WriteFileBytes(EBookPath(), original);
    const std::string tableFile = dir.File("table");
    EncodedTable(tableFile, table);
    return {testing_support::ChildProgramPath(),
            {"store", dir.File("rebrander"), tableFile, std::to_string(stopAt),
             std::to_string(failAt), signal ? "1" : "0"}};
  }

  // Stores in a child that refuses its `failAt`-th change and stops dead,
  // with no clean-up of any kind, at its `stopAt`-th (both counted from 1).
  int StoreInChild(const CVariableTable& table, int stopAt, int failAt = 0) {
    return OtherProcess(StoreCommand(table, stopAt, failAt, false), false).Wait();
  }

  // What the next click finds after the crash: the E-Book as it was or as
  // stored, valid, no journal left, and the notice once if there was one.
  void RecoverAndExpect(const std::string& stored) {
    const bool journal = JournalExists();
    EXPECT_TRUE(CEBookFile().RecoverInterruptedStore());
    const std::string after = ReadFileBytes(EBookPath());
    EXPECT_TRUE(after == original || after == stored)
        << "neither the original nor the stored E-Book";
    EXPECT_FALSE(JournalExists());
    ASSERT_EQ(ui.messages.size(), journal ? 1u : 0u);
    if (journal) {
      EXPECT_EQ(ui.messages[0].text, kInterruptedUndone);
      EXPECT_EQ(ui.messages[0].icon, MessageIcon::Information);
      EXPECT_EQ(ui.messages[0].caption, "rebrander");
    }
    ui.messages.clear();
    EXPECT_TRUE(CEBookFile().Validate());
    EXPECT_TRUE(CEBookFile().RecoverInterruptedStore());
    EXPECT_TRUE(ui.messages.empty()) << "nothing more to tell";
  }
};

// Every stop of a store, and every stop of the rollback of a store whose
// table write, E-Book flush or journal removal failed.
TEST_F(CrashTest, StopAtEveryChangeOfAShrinkingEqualOrGrowingStoreRecovers) {
  const std::string value = SampleTable()[0].m_strValue;
  const std::pair<std::string, CVariableTable> cases[] = {
      {"shrinking", Edited("Short")},
      {"equal length", Edited(std::string(value.size(), 'e'))},
      {"growing over the trailer", Edited(std::string(500, 'g'))},
  };
  int pointsTested = 0;
  for (const auto& [what, table] : cases) {
    const Rehearsal full = Rehearse(table);
    std::vector<int> flushes;
    int removal = 0;
    for (int i = 0; i < static_cast<int>(full.operations.size()); ++i) {
      if (full.operations[i] == IoOperation::Flush) flushes.push_back(i + 1);
      if (full.operations[i] == IoOperation::Remove) removal = i + 1;
    }
    ASSERT_EQ(flushes.size(), 4u);  // journal, folder, E-Book, folder
    ASSERT_NE(full.result, original);
    for (int failAt : {0, (flushes[1] + flushes[2]) / 2, flushes[2], removal}) {
      SCOPED_TRACE(what + ", change " + std::to_string(failAt) + " fails");
      const Rehearsal run = failAt ? Rehearse(table, failAt) : full;
      const int changes = static_cast<int>(run.operations.size());
      ASSERT_TRUE(run.result == (failAt ? original : full.result));
      ASSERT_GT(changes, failAt + 2);
      int torn = 0, backToOriginal = 0, stored = 0;
      for (int stopAt = failAt + 1; stopAt <= changes; ++stopAt, ++pointsTested) {
        SCOPED_TRACE("stopped at change " + std::to_string(stopAt) + " of " +
                     std::to_string(changes));
        ASSERT_EQ(StoreInChild(table, stopAt, failAt), testing_support::kChildStopped);
        const std::string left = ReadFileBytes(EBookPath());
        torn += left != original && left != full.result;
        RecoverAndExpect(run.result);
        const std::string after = ReadFileBytes(EBookPath());
        backToOriginal += after == original;
        stored += after == full.result;
      }
      if (failAt == 0) {  // the matrix reached the E-Book's bytes and the end of the store
        EXPECT_GT(torn, 0);
        EXPECT_GT(backToOriginal, 0);
        EXPECT_GT(stored, 0);
      }
    }
    ASSERT_EQ(StoreInChild(table, static_cast<int>(full.operations.size()) + 1),
              testing_support::kChildStored);
    EXPECT_EQ(ReadFileBytes(EBookPath()), full.result);
  }
  RecordProperty("crash_points", pointsTested);
}

// A real kill, at whatever point the store has reached once its journal is
// complete: a table of many variables keeps the store busy long enough.
TEST_F(CrashTest, KilledInTheMiddleOfALargeStoreRecovers) {
  // Appended rather than prefixed: GCC 12 warns wrongly about the latter (-Wrestrict).
  const auto numbered = [](std::string text, int i) { return text += std::to_string(i); };
  CVariableTable large;
  for (int i = 0; i < 20000; ++i) {
    large.Add(Variable(numbered("V", i), numbered("Prompt ", i), numbered("value ", i), 1, i % 4));
  }
  WriteEBook(EBookPath(), program, large, SampleTrailer());
  original = ReadFileBytes(EBookPath());
  CVariableTable edited = large;
  for (int i = 0; i < edited.GetSize(); ++i) edited[i].m_strValue += " and more";
  edited.m_bRebranded = 1;
  const std::string stored = Rehearse(edited).result;

  int kills = 0, tornAtKill = 0;
  for (int attempt = 0; attempt < 5 && tornAtKill == 0; ++attempt) {
    // Killed as soon as it starts on the E-Book, once its journal is complete:
    // the thousands of records are still to come.
    OtherProcess child(StoreCommand(edited, 0, 0, true));
    ASSERT_TRUE(child.Ready());
    if (!child.Kill()) continue;  // it finished before the kill came
    ++kills;
    const std::string left = ReadFileBytes(EBookPath());
    tornAtKill += left != original && left != stored;
    RecoverAndExpect(stored);
  }
  EXPECT_GT(kills, 0);
  EXPECT_GT(tornAtKill, 0) << "no kill landed while the E-Book was being written";
}

}  // namespace
