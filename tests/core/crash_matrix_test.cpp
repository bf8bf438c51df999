// Stores and recoveries that do not get to finish: the process stopped dead at
// every change of a store, and of the recovery after it. The next start's
// recovery must give back the E-Book as it was or as fully stored, and leave
// no journal. (What a power cut adds, writes lost that were not flushed, is
// held by the order of the flushes: table_store_test.)
#include <functional>
#include <map>

#include "ebook/store_recovery.h"
#include "tests/core/ebook_fixture.h"

namespace ebook_testing {
namespace {

// The E-Book and the journal by name; a name that is not there is missing.
using Files = std::map<Path, std::string>;

class CrashTest : public EBookTest {
 protected:
  using Operation = std::function<void()>;

  // Runs the operation on `start` with every change from the `cutAt`-th on
  // refused (none when 0), which leaves the files as a process stopped dead
  // there would. Counts the changes asked for in `changes`.
  Files Run(const Files& start, const Operation& operation, size_t cutAt = 0) {
    for (const Path& path : {EBookPath(), JournalPath()}) {
      if (start.count(path)) WriteFileBytes(path, start.at(path));
      if (!start.count(path)) fs::remove(path);
    }
    changes = 0;
    SetIoFaultHook([&](IoOperation) { return ++changes < cutAt || cutAt == 0; });
    operation();
    SetIoFaultHook({});
    ui.messages.clear();
    Files left = {{EBookPath(), ReadFileBytes(EBookPath())}};
    if (JournalExists()) left[JournalPath()] = ReadFileBytes(JournalPath());
    return left;
  }
  size_t changes = 0;
};

TEST_F(CrashTest, StoppedAnywhereInAStoreOrItsRecoveryLeavesTheOriginalOrTheStoredEBook) {
  const Operation recover = [&] { ebook::RecoverStore(EBookPath()); };
  // Shorter, and longer so that the trailer moves and a roll-back must cut.
  for (const CVariableTable& table : {Edited("Short"), Edited(std::string(700, 'g'))}) {
    SCOPED_TRACE(table[0].m_strValue.size());
    const Files start = {{EBookPath(), original}};
    const Operation store = [&] { CEBookFile().StoreTable(table); };
    const std::string stored = Run(start, store).at(EBookPath());
    ASSERT_NE(stored, original);
    ASSERT_GE(changes, 7u) << "changes of a store";
    for (size_t cut = 1, storeChanges = changes; cut <= storeChanges; ++cut) {
      const Files left = Run(start, store, cut);
      Run(left, recover);
      // The recovery stopped at each of its own changes too (past the last:
      // not stopped), then run again.
      for (size_t again = 1, recoveryChanges = changes; again <= recoveryChanges + 1; ++again) {
        Run(Run(left, recover, again), recover);
        const std::string after = ReadFileBytes(EBookPath());
        EXPECT_TRUE(after == original || after == stored)
            << "a store stopped at change " << cut << " and its recovery at " << again
            << " left a torn E-Book";
        ASSERT_FALSE(JournalExists()) << "store change " << cut << ", recovery change " << again;
      }
    }
  }
}

}  // namespace
}  // namespace ebook_testing
