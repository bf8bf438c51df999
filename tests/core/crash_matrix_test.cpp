// Stores and recoveries that do not get to finish: the power cut at every
// change of a store, and of the recovery after it, on a simulated disk.
// Recovery must then give back the E-Book as it was or as fully stored, and
// leave no journal.
#include <functional>

#include "ebook/store_recovery.h"
#include "platform/durable_files.h"
#include "tests/core/ebook_fixture.h"
#include "tests/core/simulated_disk.h"

namespace ebook_testing {
namespace {

class CrashTest : public EBookTest {
 protected:
  using Operation = std::function<void()>;
  using AtCut = std::function<void(const SimulatedDisk&)>;

  // Runs the operation on `start` with every change from the `cutAt`-th on
  // refused (none when 0), which leaves the files as a process stopped dead
  // there would; notes the changes asked for until then.
  DiskState Run(const DiskState& start, const Operation& operation, size_t cutAt = 0,
                std::vector<DiskChange>* changes = nullptr) {
    for (const Path& path : {EBookPath(), JournalPath()}) {
      if (start.count(path)) WriteFileBytes(path, start.at(path));
      if (!start.count(path)) fs::remove(path);
    }
    FileIdentity ebook, changed;
    const HFILE file = _lopen(EBookPath(), OF_SHARED_READ);
    EXPECT_TRUE(GetFileIdentity(file, ebook));
    _lclose(file);
    size_t count = 0;
    SetIoFaultHook([&](const IoChange& change) {
      if (cutAt && ++count >= cutAt) return false;
      if (!changes) return true;
      // A name created or removed, the folder's flush, or a file's change.
      Path target = change.operation == IoOperation::Flush ? Path() : change.path;
      if (change.file != HFILE_ERROR) {
        EXPECT_TRUE(GetFileIdentity(change.file, changed));
        target = changed.device == ebook.device && changed.inode == ebook.inode ? EBookPath()
                                                                                : JournalPath();
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

  // Cuts the power before each change of the operation from `start`, and
  // after its last, handing the disk of each cut to `atCut`.
  void CutEverywhere(const DiskState& start, const Operation& operation, const AtCut& atCut) {
    std::vector<DiskChange> changes;
    const DiskState end = Run(start, operation, 0, &changes);
    SimulatedDisk disk(start);
    for (size_t cut = 0; cut <= changes.size(); ++cut) {
      atCut(disk);
      if (cut == changes.size()) break;
      changes[cut].after = cut + 1 < changes.size() ? Run(start, operation, cut + 2) : end;
      disk.Apply(changes[cut]);
    }
  }
};

// Every point of a store; from each, a recovery cut at every point of its own
// (from what the store left at that point, and from what it had flushed). The
// next start's recovery gives the original or the stored E-Book and leaves no
// journal.
TEST_F(CrashTest, PowerCutAnywhereInAStoreOrItsRecoveryLeavesTheOriginalOrTheStoredEBook) {
  const std::string value = SampleTable()[0].m_strValue;
  std::mt19937 random{20240917};
  int failures = 0, checks = 0;
  for (const CVariableTable& table :
       {Edited("Short"), Edited(std::string(value.size(), 'e')), Edited(std::string(700, 'g'))}) {
    SCOPED_TRACE(table[0].m_strValue.size());
    // Rehearsed on the original: the E-Book the store leaves.
    WriteFileBytes(EBookPath(), original);
    ASSERT_TRUE(CEBookFile().StoreTable(table));
    const std::string stored = ReadFileBytes(EBookPath());
    std::set<DiskState> checked, recoveredFrom;
    const Operation recover = [&] { ebook::RecoverStore(EBookPath()); };
    const auto expectEveryState = [&](const SimulatedDisk& disk) {
      for (const DiskState& state : disk.PowerLossStates(random)) {
        if (failures >= 3 || !checked.insert(state).second) continue;
        ++checks;
        Run(state, recover);
        const std::string after = ReadFileBytes(EBookPath());
        if ((after == original || after == stored) && !JournalExists()) continue;
        ADD_FAILURE() << "a power cut that left the E-Book " << state.at(EBookPath()).size()
                      << " bytes long and " << state.count(JournalPath())
                      << " journal was recovered to a torn E-Book or left the journal";
        ++failures;
      }
    };
    CutEverywhere(
        {{EBookPath(), original}}, [&] { CEBookFile().StoreTable(table); },
        [&](const SimulatedDisk& disk) {
          expectEveryState(disk);
          // What a process stopped here leaves, and what had reached the disk.
          for (const DiskState& start : {disk.Current(), disk.Flushed()}) {
            if (!start.count(JournalPath()) || !recoveredFrom.insert(start).second) continue;
            CutEverywhere(start, recover, expectEveryState);
          }
        });
    ASSERT_EQ(failures, 0);
  }
  EXPECT_GT(checks, 1000) << "distinct power-cut states";
}

}  // namespace
}  // namespace ebook_testing
