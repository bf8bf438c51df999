// The machinery behind CEBookFile::LoadTable and StoreTable: reading the
// variable table from the open E-Book, and storing it back in place under the
// cover of a rollback journal beside it (its layout: store_journal.h; undoing
// a store that never finished: store_recovery.h). Shows nothing.
//
// A store passes through these states in this order, every one entered by one
// step of CTableStore::Store, which checks the order (see SetStoreOrderCheck).
// Recovery runs before every View and Customize and acts on what a power cut
// left of each. The E-Book is held exclusively throughout, by the store and
// by recovery.
#pragma once

#include <cstdint>
#include <functional>

#include "formats/variable_table.h"
#include "platform/file_handle.h"
#include "platform/path.h"

namespace ebook {

enum class StoreState {
  // Entered by CTableStore's constructor: nothing read, nothing written.
  kIdle,
  // Entered by CStoreBackup::Save: the trailer read, the table found before
  // it, and the bytes from the table on kept in memory. Nothing written.
  kSaved,
  // Entered by CreateJournal: created, not flushed. The E-Book is untouched.
  // On the disk the journal may be missing, empty or torn; recovery finds its
  // checksum wrong and removes it, or finds it whole and writes back the
  // bytes the E-Book still holds. Either way the original.
  kJournalWritten,
  // Entered by FlushFile on the journal: its bytes are on the disk, its name
  // may not be. Recovery finds no journal or a whole one.
  kJournalFlushed,
  // Entered by FlushFolder on the journal's folder: the whole journal is on
  // the disk for good. From here on the E-Book may change. (Windows flushes
  // no folder: see FlushFolder.)
  kJournalDurable,
  // Entered by WriteTableAndTrailer: table and trailer, perhaps over the old
  // trailer and beyond it. On the disk any mix of old and new sectors,
  // perhaps longer. Recovery rolls back: writes the saved bytes, cuts the
  // file to its saved length and flushes it, then removes the journal and
  // flushes the folder. Cut in its turn, it leaves the journal whole and is
  // simply done again.
  kEBookWritten,
  // Entered by FlushFile on the E-Book: the stored E-Book is on the disk, and
  // so is the journal; recovery still rolls back. The store counts only once
  // the journal is gone for good.
  kEBookFlushed,
  // Entered by RemoveFile on the journal, not yet for good: recovery finds
  // the journal and rolls back, or finds none and the E-Book stored.
  kJournalRemoved,
  // Entered by FlushFolder on the journal's folder: stored. Should that flush
  // fail, a power loss brings the journal back and the next start rolls back
  // and says so; the E-Book is never left half-written.
  kStored,
  // Entered by CStoreBackup::Restore and FlushFile on the E-Book, after a step
  // from kJournalDurable on failed: the E-Book is as it was, and
  // RemoveJournal follows. Should the roll-back fail, the journal stays for
  // the next start.
  kRolledBack,
};

// Whether a store may go from `now` to `next`: to the following state, or
// back to the original from a state where the E-Book may have changed.
bool StoreMayEnter(StoreState now, StoreState next);

// Moves `now` to `next`, telling the hook; stops the program when `next` may
// not follow `now` and the check is on.
void EnterStoreState(StoreState& now, StoreState next);
// Stops the program at a step out of order. On in debug builds and wherever
// a test turns it on, off in a release build.
void SetStoreOrderCheck(bool on);
// Hears every state a store enters; for tests.
void SetStoreStateHookForTesting(std::function<void(StoreState)> hook);

class CTableStore {
 public:
  // The E-Book, open for reading, or for reading and writing to store.
  explicit CTableStore(platform::HFILE ebook);

  // Reads the variable table the trailer points at; the table is not to be
  // used on failure.
  bool Load(formats::CVariableTable& table);
  // Writes the table in place and the trailer behind it, the journal
  // (beside `ebookPath`) first. A failed store puts the file back as it was
  // where it can.
  bool Store(const platform::Path& ebookPath, const formats::CVariableTable& table);

  StoreState State() const { return m_state; }

 private:
  void Enter(StoreState next) { EnterStoreState(m_state, next); }

  platform::HFILE m_hEBook;
  StoreState m_state = StoreState::kIdle;
};

}  // namespace ebook
