// The order of a store's steps: the states a store passes through, where
// each failure leaves it, and the check that stops a step out of order.
#include "ebook/table_store.h"

#include <vector>

#include "tests/core/ebook_fixture.h"

namespace ebook_testing {
namespace {

using ebook::StoreState;
using S = StoreState;

// The states of a store that succeeds, in order.
const std::vector<StoreState> kStoring = {
    S::kSaved,        S::kJournalWritten, S::kJournalFlushed, S::kJournalDurable,
    S::kEBookWritten, S::kEBookFlushed,   S::kJournalRemoved, S::kStored};

// The `nth` change of one kind is refused (0: none); the store then went
// through the first `reached` of kStoring, and rolled back or not.
struct StoreCase {
  const char* name;
  IoOperation failing;
  int nth;
  bool stored;
  size_t reached;
  bool rolledBack;
};

class StoreStatesTest : public EBookTest, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(StoreStatesTest, StorePassesThroughItsStatesInOrder) {
  const StoreCase& c = GetParam();
  std::vector<StoreState> entered;
  ebook::SetStoreStateHookForTesting([&](StoreState state) { entered.push_back(state); });
  int seen = 0;
  SetIoFaultHook([&](IoOperation operation) { return operation != c.failing || ++seen != c.nth; });
  EXPECT_EQ(c.stored, CEBookFile().StoreTable(Edited("Stored")));
  SetIoFaultHook({});
  ebook::SetStoreStateHookForTesting({});
  std::vector<StoreState> expected(kStoring.begin(), kStoring.begin() + c.reached);
  if (c.rolledBack) expected.push_back(S::kRolledBack);
  EXPECT_EQ(expected, entered);
  const std::string table = Encode(c.stored ? Edited("Stored") : SampleTable());
  EXPECT_EQ(table, ReadFileBytes(EBookPath()).substr(tableOffset, table.size()));
}

const StoreCase kStoreCases[] = {
    {"Stored", IoOperation::Write, 0, true, 8, false},
    {"JournalNotFlushed", IoOperation::Flush, 1, false, 2, false},
    {"FolderNotFlushed", IoOperation::Flush, 2, false, 3, false},
    {"EBookNotFlushed", IoOperation::Flush, 3, false, 5, true},
    {"JournalNotRemoved", IoOperation::Remove, 1, false, 6, true},
    // The journal is gone; only a power loss could bring it back.
    {"LastFolderFlushFails", IoOperation::Flush, 4, true, 8, false},
};
INSTANTIATE_TEST_SUITE_P(Store, StoreStatesTest, ::testing::ValuesIn(kStoreCases),
                         [](const auto& info) { return std::string(info.param.name); });

#ifndef _WIN32  // death tests start the program again, which Wine makes slow
TEST(StoreOrderDeathTest, AStepOutOfOrderStopsTheProgram) {
  ebook::SetStoreOrderCheck(true);
  StoreState state = S::kJournalWritten;
  EXPECT_DEATH(ebook::EnterStoreState(state, S::kEBookWritten), "may not follow");
}
#endif

}  // namespace
}  // namespace ebook_testing
