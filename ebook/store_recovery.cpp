#include "ebook/store_recovery.h"

#include "ebook/ebook_file.h"
#include "ebook/ebook_messages.h"
#include "ebook/store_journal.h"
#include "platform/durable_files.h"
#include "platform/user_interface.h"

namespace ebook {

using namespace platform;

namespace {

RecoveryOutcome Discard(const std::string& journalPath, RecoveryOutcome outcome) {
  RemoveJournal(journalPath);
  return outcome;
}

// Closes the journal file once it is read.
RecoveryOutcome Recover(HFILE ebook, HFILE journalFile, const std::string& journalPath) {
  // Longer than 32-bit positions reach: no store writes that.
  const int32_t size = _llseek(journalFile, 0, FILE_END);
  std::string bytes;
  const bool read = size >= 0 && ReadBytesAt(journalFile, 0, size, bytes);
  // Before it may be removed: Windows removes no file that is open.
  _lclose(journalFile);
  if (size < 0) return Discard(journalPath, RecoveryOutcome::kDiscarded);
  if (!read) return RecoveryOutcome::kFailed;
  CStoreJournal journal;
  if (!DecodeJournal(bytes, journal)) return Discard(journalPath, RecoveryOutcome::kDiscarded);
  bytes = std::string();

  // Shorter than the part a store never changes, or too long to address:
  // not the file the journal was written for.
  const int32_t offset = journal.m_backup.Offset();
  if (_llseek(ebook, 0, FILE_END) < offset) return Discard(journalPath, RecoveryOutcome::kStale);
  EBookIdentity identity;
  if (!IdentifyEBook(ebook, offset, identity)) return RecoveryOutcome::kFailed;
  if (identity != journal.m_identity) return Discard(journalPath, RecoveryOutcome::kStale);
  if (!journal.m_backup.Restore(ebook) || !FlushFile(ebook)) return RecoveryOutcome::kFailed;
  // Should the journal stay, the next start restores the same bytes again.
  RemoveJournal(journalPath);
  return RecoveryOutcome::kRolledBack;
}

}  // namespace

RecoveryOutcome RecoverStore(const std::string& ebookPath) {
  const std::string journalPath = JournalPathFor(ebookPath);
  const HFILE journal = _lopen(journalPath, OF_SHARED_READ);
  if (journal == HFILE_ERROR) return RecoveryOutcome::kNoJournal;
  const HFILE ebook = _lopen(ebookPath, OF_EXCLUSIVE_READWRITE);
  if (ebook == HFILE_ERROR) {
    _lclose(journal);
    return RecoveryOutcome::kLeft;
  }
  const RecoveryOutcome outcome = Recover(ebook, journal, journalPath);
  _lclose(ebook);
  return outcome;
}

bool CEBookFile::RecoverInterruptedStore() const {
  switch (RecoverStore(m_strPath)) {
    case RecoveryOutcome::kRolledBack:
    case RecoveryOutcome::kDiscarded:
      AfxMessageBox(kInterruptedStoreUndone, MessageIcon::Information);
      return true;
    case RecoveryOutcome::kFailed:
      AfxMessageBox(kErrorWritingEBook, MessageIcon::Exclamation);
      return false;
    default:
      return true;
  }
}

}  // namespace ebook
