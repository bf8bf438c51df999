// Stores and recoveries that do not get to finish: the power cut at every
// change of a store, and of the recovery after it, on a simulated disk; and a
// real process killed in the middle of a large store. Recovery must then give
// back the E-Book as it was or as fully stored, and leave no journal.
#include <functional>
#include <random>

#include "ebook/store_recovery.h"
#include "tests/core/ebook_fixture.h"
#include "tests/core/simulated_disk.h"

namespace ebook_testing {
namespace {

using ebook::EBookUse;
using ebook::RecoverStore;
using ebook::RecoveryOutcome;

class CrashTest : public EBookTest {
 protected:
  using Operation = std::function<void()>;

  void Lay(const DiskState& state) {
    for (const std::string& path : {EBookPath(), JournalPath()}) {
      if (state.count(path)) {
        WriteFileBytes(path, state.at(path));
      } else {
        fs::remove(path);
      }
    }
  }

  // Runs the operation on `start` with every change from the `cutAt`-th on
  // refused (none when 0), which leaves the files as a process stopped dead
  // there would; notes the changes asked for until then.
  DiskState Run(const DiskState& start, const Operation& operation, int cutAt,
                std::vector<DiskChange>* changes = nullptr) {
    Lay(start);
    FileIdentity ebook;
    const HFILE file = _lopen(EBookPath(), OF_SHARED_READ);
    EXPECT_TRUE(GetFileIdentity(file, ebook));
    _lclose(file);
    int count = 0;
    SetIoFaultHook([&](const IoChange& change) {
      if (cutAt && ++count >= cutAt) return false;
      if (!changes) return true;
      FileIdentity flushed;
      std::string target = change.path;
      if (change.file != HFILE_ERROR) {
        EXPECT_TRUE(GetFileIdentity(change.file, flushed));
        target = flushed.device == ebook.device && flushed.inode == ebook.inode ? EBookPath()
                                                                                : JournalPath();
      } else if (change.operation == IoOperation::Flush) {
        target.clear();  // the folder
      }
      changes->push_back({change.operation, target, {}});
      return true;
    });
    operation();
    SetIoFaultHook({});
    ui.messages.clear();
    DiskState state = {{EBookPath(), ReadFileBytes(EBookPath())}};
    if (JournalExists()) state[JournalPath()] = ReadFileBytes(JournalPath());
    return state;
  }

  // Every change of the operation from `start`, each with the files it left.
  std::vector<DiskChange> Follow(const DiskState& start, const Operation& operation) {
    std::vector<DiskChange> changes;
    const DiskState end = Run(start, operation, 0, &changes);
    for (size_t i = 0; i + 1 < changes.size(); ++i) {
      changes[i].after = Run(start, operation, static_cast<int>(i) + 2);
    }
    if (!changes.empty()) changes.back().after = end;
    return changes;
  }

  struct Tally {
    int cuts = 0, states = 0, checked = 0;
  };
  // Cuts the power before each change of the operation from `start`, and
  // after its last, handing the disk of each cut to `atCut`.
  void CutEverywhere(const DiskState& start, const Operation& operation, Tally& tally,
                     const std::function<void(const SimulatedDisk&)>& atCut) {
    const std::vector<DiskChange> changes = Follow(start, operation);
    SimulatedDisk disk(start);
    for (size_t cut = 0; cut <= changes.size(); ++cut) {
      ++tally.cuts;
      atCut(disk);
      if (cut < changes.size()) disk.Apply(changes[cut]);
    }
  }

  // The next start's recovery gives the original or the stored E-Book and
  // leaves no journal.
  void ExpectRecovered(const DiskState& state, const std::string& stored, Tally& tally) {
    if (failures >= 3 || !checked.insert(state).second) return;
    ++tally.checked;
    Lay(state);
    ebook::RecoverStore(EBookPath());
    const std::string after = ReadFileBytes(EBookPath());
    if ((after != original && after != stored) || JournalExists()) {
      ADD_FAILURE() << "after a power cut that left the E-Book " << state.at(EBookPath()).size()
                    << " bytes long, " << (state.count(JournalPath()) ? "a" : "no")
                    << " journal: recovery gave "
                    << (after == original ? "the original"
                        : after == stored ? "the stored"
                                          : "a torn")
                    << " E-Book" << (JournalExists() ? " and left the journal" : "");
      ++failures;
    }
  }

  std::mt19937 random{20240917};
  std::set<DiskState> checked;
  int failures = 0;

  // Rehearses the store on the original: the E-Book it leaves.
  std::string Stored(const CVariableTable& table) {
    WriteFileBytes(EBookPath(), original);
    EXPECT_TRUE(CEBookFile().StoreTable(table));
    EXPECT_FALSE(JournalExists());
    return ReadFileBytes(EBookPath());
  }
};

// Every point of a store; from each, a recovery cut at every point of its own
// (from what the store left at that point, and from what it had flushed).
TEST_F(CrashTest, PowerCutAnywhereInAStoreOrItsRecoveryLeavesTheOriginalOrTheStoredEBook) {
  const std::string value = SampleTable()[0].m_strValue;
  const std::pair<std::string, CVariableTable> cases[] = {
      {"shrinking", Edited("Short")},
      {"equal length", Edited(std::string(value.size(), 'e'))},
      {"growing over the trailer", Edited(std::string(700, 'g'))},
  };
  Tally store, recovery;
  for (const auto& [what, table] : cases) {
    SCOPED_TRACE(what);
    const std::string stored = Stored(table);
    ASSERT_NE(stored, original);
    checked.clear();
    const Operation storing = [&] { CEBookFile().StoreTable(table); };
    const Operation recovering = [&] { ebook::RecoverStore(EBookPath()); };
    const auto expectEveryState = [&](const SimulatedDisk& disk, Tally& tally) {
      for (const DiskState& state : disk.PowerLossStates(random)) {
        ++tally.states;
        ExpectRecovered(state, stored, tally);
      }
    };
    std::set<DiskState> recoveredFrom;
    CutEverywhere({{EBookPath(), original}}, storing, store, [&](const SimulatedDisk& disk) {
      expectEveryState(disk, store);
      // What a process stopped here leaves, and what had reached the disk.
      for (const DiskState& start : {disk.Current(), disk.Flushed()}) {
        if (!start.count(JournalPath()) || !recoveredFrom.insert(start).second) continue;
        CutEverywhere(start, recovering, recovery,
                      [&](const SimulatedDisk& cut) { expectEveryState(cut, recovery); });
      }
    });
    ASSERT_EQ(failures, 0);
  }
  std::printf("power cuts: store %d cuts, %d states; recovery %d cuts, %d states; %d distinct\n",
              store.cuts, store.states, recovery.cuts, recovery.states,
              store.checked + recovery.checked);
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
  original = WriteEBook(EBookPath(), program, large, SampleTrailer());
  CVariableTable edited = large;
  for (int i = 0; i < edited.GetSize(); ++i) edited[i].m_strValue += " and more";
  edited.m_bRebranded = 1;
  const std::string stored = Stored(edited);
  const std::string tableFile = dir.File("table");
  EncodedTable(tableFile, edited);

  // Killed while it waits, thousands of records into the E-Book's table.
  WriteFileBytes(EBookPath(), original);
  OtherProcess child({ChildProgramPath(), "store", dir.File("rebrander"), tableFile});
  ASSERT_TRUE(child.Ready());
  ASSERT_TRUE(child.Kill());
  const std::string left = ReadFileBytes(EBookPath());
  EXPECT_TRUE(left != original && left != stored) << "the kill did not land mid-write";
  ASSERT_TRUE(JournalExists());
  EXPECT_TRUE(CEBookFile().RecoverInterruptedStore(ebook::EBookUse::kCustomize));
  EXPECT_TRUE(ReadFileBytes(EBookPath()) == original);
  EXPECT_FALSE(JournalExists());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, kInterruptedUndone);
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Information);
}

}  // namespace
}  // namespace ebook_testing
