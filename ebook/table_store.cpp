#include "ebook/table_store.h"

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <utility>

#include "ebook/store_journal.h"
#include "ebook/trailer_access.h"
#include "platform/durable_files.h"
#include "platform/file_io.h"

namespace ebook {

using formats::CEBookTrailer;
using formats::CFieldStream;
using formats::CVariableTable;
using namespace platform;

namespace {

#ifdef NDEBUG
bool g_checkOrder = false;
#else
bool g_checkOrder = true;
#endif

std::function<void(StoreState)>& StateHook() {
  static std::function<void(StoreState)> hook;
  return hook;
}

// The table at its offset, then the unchanged trailer at its old place or,
// when the table grew over it, directly behind the table.
bool WriteTableAndTrailer(HFILE file, const CVariableTable& table, CEBookTrailer trailer,
                          int32_t trailerPosition) {
  const int32_t offset = trailer.m_nTableOffset;
  if (_llseek(file, offset, FILE_BEGIN) != offset || !table.Write(file)) return false;
  const int32_t tableEnd = _llseek(file, 0, FILE_CURRENT);
  // The grown file must stay addressable with 32-bit positions.
  if (tableEnd < 0 || tableEnd > std::numeric_limits<int32_t>::max() - CEBookTrailer::kSize) {
    return false;
  }
  if (tableEnd < trailerPosition && _llseek(file, trailerPosition, FILE_BEGIN) != trailerPosition) {
    return false;
  }
  CFieldStream stream(CFieldStream::kWrite, file);
  return trailer.Transfer(stream);
}

}  // namespace

bool StoreMayEnter(StoreState now, StoreState next) {
  if (next == StoreState::kRolledBack) {
    return now >= StoreState::kJournalDurable && now <= StoreState::kEBookFlushed;
  }
  return now != StoreState::kRolledBack && static_cast<int>(next) == static_cast<int>(now) + 1;
}

void SetStoreOrderCheck(bool on) {
  g_checkOrder = on;
}

void SetStoreStateHookForTesting(std::function<void(StoreState)> hook) {
  StateHook() = std::move(hook);
}

void EnterStoreState(StoreState& now, StoreState next) {
  if (g_checkOrder && !StoreMayEnter(now, next)) {
    std::fprintf(stderr, "store: state %d may not follow state %d\n", static_cast<int>(next),
                 static_cast<int>(now));
    std::abort();
  }
  now = next;
  if (StateHook()) StateHook()(next);
}

CTableStore::CTableStore(HFILE ebook) : m_hEBook(ebook) {}

bool CTableStore::Load(CVariableTable& table) {
  CEBookTrailer trailer;
  int32_t length = 0;
  if (!ReadEBookTrailer(m_hEBook, trailer, length)) return false;
  const int32_t offset = trailer.m_nTableOffset;
  return TableOffsetFits(offset, length) && _llseek(m_hEBook, offset, FILE_BEGIN) == offset &&
         table.Read(m_hEBook) && TableEndFits(_llseek(m_hEBook, 0, FILE_CURRENT), length);
}

bool CTableStore::Store(const Path& ebookPath, const CVariableTable& table) {
  CEBookTrailer trailer;
  int32_t length = 0;
  // Nothing is written unless the trailer reads and the table lies before it.
  if (!ReadEBookTrailer(m_hEBook, trailer, length) ||
      !TableOffsetFits(trailer.m_nTableOffset, length)) {
    return false;
  }
  CStoreJournal journal;
  if (!IdentifyEBook(m_hEBook, trailer.m_nTableOffset, journal.m_identity) ||
      !journal.m_backup.Save(m_hEBook, trailer.m_nTableOffset, length)) {
    return false;
  }
  Enter(StoreState::kSaved);

  // The journal is on the disk for good before the E-Book's first byte changes.
  const Path journalPath = JournalPathFor(ebookPath);
  const Path folder = FolderOf(journalPath);
  const HFILE journalFile = CreateJournal(journalPath, journal);
  if (journalFile == HFILE_ERROR) return false;
  Enter(StoreState::kJournalWritten);
  const bool flushed = FlushFile(journalFile);
  _lclose(journalFile);
  if (flushed) Enter(StoreState::kJournalFlushed);
  if (!flushed || !FlushFolder(folder)) {
    RemoveFile(journalPath);
    return false;
  }
  Enter(StoreState::kJournalDurable);

  // The store counts only once the journal is gone for good.
  if (WriteTableAndTrailer(m_hEBook, table, trailer, length - CEBookTrailer::kSize)) {
    Enter(StoreState::kEBookWritten);
    if (FlushFile(m_hEBook)) {
      Enter(StoreState::kEBookFlushed);
      if (RemoveFile(journalPath)) {
        Enter(StoreState::kJournalRemoved);
        FlushFolder(folder);
        Enter(StoreState::kStored);
        return true;
      }
    }
  }
  // Put back under the journal's cover.
  if (journal.m_backup.Restore(m_hEBook) && FlushFile(m_hEBook)) {
    Enter(StoreState::kRolledBack);
    RemoveJournal(journalPath);
  }
  return false;
}

}  // namespace ebook
