// Stores that the process does not survive: a child process stops dead at
// every change of a file in turn, or is killed in the middle of a large store;
// recovery must then give back the E-Book as it was or as fully stored.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "ebook/ebook_file.h"
#include "ebook/store_journal.h"
#include "tests/core/ebook_fixture.h"
#include "tests/core/expected_messages.h"

namespace {

using namespace ebook_testing;
using namespace formats;
using namespace platform;
using ebook::CEBookFile;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

// How the child process ended.
enum ChildEnd { kStopped = 10, kStored = 11, kNotStored = 12, kOther = -1 };

int WaitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return kOther;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : kOther;
}

class CrashTest : public EBookTest {
 protected:
  void SetUp() override {
    EBookTest::SetUp();
    WriteSampleEBook();
    original = ReadFileBytes(EBookPath());
  }

  struct Rehearsal {
    std::vector<IoOperation> operations;
    std::string result;  // the E-Book afterwards
  };
  // Runs the store here, noting every change it asks for, then puts the
  // original back.
  Rehearsal Rehearse(const CVariableTable& table, int failChange = 0) {
    Rehearsal rehearsal;
    {
      IoRecorder io;
      io.failChange = failChange;
      EXPECT_EQ(CEBookFile().StoreTable(table), failChange == 0);
      rehearsal.operations = io.operations;
    }
    rehearsal.result = ReadFileBytes(EBookPath());
    EXPECT_FALSE(JournalExists());
    WriteFileBytes(EBookPath(), original);
    ui.messages.clear();
    return rehearsal;
  }

  // Stores in a child that refuses its `failChange`-th change and stops dead,
  // with no clean-up of any kind, at its `stopAt`-th (both counted from 1).
  int StoreInChild(const CVariableTable& table, int stopAt, int failChange = 0) {
    const pid_t pid = fork();
    if (pid == 0) {
      int count = 0;
      SetIoFaultHook([&](IoOperation) {
        if (++count == stopAt) _exit(kStopped);
        return count != failChange;
      });
      _exit(CEBookFile().StoreTable(table) ? kStored : kNotStored);
    }
    return pid < 0 ? kOther : WaitFor(pid);
  }

  // What the next click finds after the crash: the E-Book as it was or as
  // stored, valid, with no journal left and at most the one notice.
  void RecoverAndExpect(const std::string& stored) {
    ui.messages.clear();
    EXPECT_TRUE(CEBookFile().RecoverInterruptedStore());
    const std::string after = ReadFileBytes(EBookPath());
    EXPECT_TRUE(after == original || after == stored)
        << "neither the original nor the stored E-Book";
    EXPECT_FALSE(JournalExists());
    for (const auto& message : ui.messages) {
      EXPECT_EQ(message.text, kInterruptedUndone);
      EXPECT_EQ(message.icon, MessageIcon::Information);
    }
    EXPECT_LE(ui.messages.size(), 1u);
    ui.messages.clear();
    EXPECT_TRUE(CEBookFile().Validate());
    EXPECT_TRUE(ui.messages.empty());
  }

  CVariableTable Changed(const std::string& value) const {
    CVariableTable table = SampleTable();
    table[0].m_strValue = value;
    table.m_bRebranded = 1;
    return table;
  }

  std::string original;
};

TEST_F(CrashTest, StopAtEveryChangeOfAShrinkingEqualOrGrowingStoreRecovers) {
  const std::string value = SampleTable()[0].m_strValue;
  const std::pair<std::string, CVariableTable> cases[] = {
      {"shrinking", Changed("Short")},
      {"equal length", Changed(std::string(value.size(), 'e'))},
      {"growing over the trailer", Changed(std::string(500, 'g'))},
  };
  int pointsTested = 0;
  for (const auto& [what, table] : cases) {
    SCOPED_TRACE(what);
    const Rehearsal full = Rehearse(table);
    const int changes = static_cast<int>(full.operations.size());
    ASSERT_GT(changes, 20);
    ASSERT_NE(full.result, original);
    int torn = 0, backToOriginal = 0, stored = 0;
    for (int stopAt = 1; stopAt <= changes; ++stopAt) {
      SCOPED_TRACE("stopped at change " + std::to_string(stopAt) + " of " +
                   std::to_string(changes));
      WriteFileBytes(EBookPath(), original);
      ASSERT_EQ(StoreInChild(table, stopAt), kStopped);
      const std::string left = ReadFileBytes(EBookPath());
      torn += left != original && left != full.result;
      RecoverAndExpect(full.result);
      const std::string after = ReadFileBytes(EBookPath());
      backToOriginal += after == original;
      stored += after == full.result;
      ++pointsTested;
    }
    // The matrix reached the E-Book's bytes and the end of the store.
    EXPECT_GT(torn, 0);
    EXPECT_GT(backToOriginal, 0);
    EXPECT_GT(stored, 0);
    WriteFileBytes(EBookPath(), original);
    ASSERT_EQ(StoreInChild(table, changes + 1), kStored);
    EXPECT_EQ(ReadFileBytes(EBookPath()), full.result);
    EXPECT_FALSE(JournalExists());
  }
  RecordProperty("crash_points", pointsTested);
}

TEST_F(CrashTest, StopDuringTheRollBackOfAFailedStoreRecoversTheOriginal) {
  int pointsTested = 0;
  for (const CVariableTable& table : {Changed(std::string(500, 'g')), Changed("Short")}) {
    const std::vector<IoOperation> operations = Rehearse(table).operations;
    std::vector<int> flushes;
    int removal = 0;
    for (int i = 0; i < static_cast<int>(operations.size()); ++i) {
      if (operations[i] == IoOperation::Flush) flushes.push_back(i + 1);
      if (operations[i] == IoOperation::Remove) removal = i + 1;
    }
    ASSERT_EQ(flushes.size(), 4u);  // journal, folder, E-Book, folder
    // A table write, the E-Book's flush, the journal's removal.
    for (int failChange : {(flushes[1] + flushes[2]) / 2, flushes[2], removal}) {
      SCOPED_TRACE("change " + std::to_string(failChange) + " fails");
      const Rehearsal failed = Rehearse(table, failChange);
      ASSERT_TRUE(failed.result == original);
      const int changes = static_cast<int>(failed.operations.size());
      ASSERT_GT(changes, failChange + 2);
      for (int stopAt = failChange + 1; stopAt <= changes; ++stopAt) {
        SCOPED_TRACE("stopped at change " + std::to_string(stopAt) + " of " +
                     std::to_string(changes));
        WriteFileBytes(EBookPath(), original);
        ASSERT_EQ(StoreInChild(table, stopAt, failChange), kStopped);
        RecoverAndExpect(original);
        ++pointsTested;
      }
    }
  }
  RecordProperty("crash_points", pointsTested);
}

// A real kill, at whatever point the store has reached once its journal is
// complete: a table of many variables keeps the store busy long enough.
TEST_F(CrashTest, KilledInTheMiddleOfALargeStoreRecovers) {
  CVariableTable large;
  for (int i = 0; i < 20000; ++i) {
    large.Add(Variable("V" + std::to_string(i), "Prompt " + std::to_string(i),
                       "value " + std::to_string(i), 1, i % 4));
  }
  const int32_t tableOffset = WriteEBook(EBookPath(), program, large, SampleTrailer());
  original = ReadFileBytes(EBookPath());
  CVariableTable edited = large;
  for (int i = 0; i < edited.GetSize(); ++i) edited[i].m_strValue += " and more";
  edited.m_bRebranded = 1;
  const std::string stored = Rehearse(edited).result;

  int kills = 0, tornAtKill = 0;
  for (int attempt = 0; attempt < 5 && tornAtKill == 0; ++attempt) {
    WriteFileBytes(EBookPath(), original);
    const pid_t pid = fork();
    if (pid == 0) _exit(CEBookFile().StoreTable(edited) ? kStored : kNotStored);
    ASSERT_GT(pid, 0);
    // Killed once the table's rebranded flag, the first field that changes,
    // has been written: the thousands of records after it are still to come.
    // The E-Book is opened only once the journal shows the store holds it.
    bool finished = false;
    int watch = -1;
    int32_t flag = 0;
    while (!finished) {
      if (watch < 0 && JournalExists()) watch = open(EBookPath().c_str(), O_RDONLY | O_CLOEXEC);
      if (watch >= 0 && pread(watch, &flag, 4, tableOffset + 4) == 4 &&
          flag != static_cast<int32_t>(formats::kIntMask)) {
        break;
      }
      finished = waitpid(pid, nullptr, WNOHANG) == pid;
    }
    if (watch >= 0) close(watch);
    if (finished) continue;
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    if (!WIFSIGNALED(status)) continue;  // it finished before the signal came
    ++kills;
    const std::string left = ReadFileBytes(EBookPath());
    tornAtKill += left != original && left != stored;
    RecoverAndExpect(stored);
  }
  EXPECT_GT(kills, 0);
  EXPECT_GT(tornAtKill, 0) << "no kill landed while the E-Book was being written";
}

}  // namespace
