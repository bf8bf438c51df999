#include "ebook/store_recovery.h"

#include <algorithm>

#include "ebook/store_journal.h"
#include "platform/durable_files.h"
#include "platform/file_io.h"
#include "platform/file_owner.h"

namespace ebook {

using namespace platform;

namespace {

RecoveryOutcome Discard(const Path& journalPath, RecoveryOutcome outcome) {
  RemoveJournal(journalPath);
  return outcome;
}

// Closes the journal file once it is read.
RecoveryOutcome Recover(HFILE ebook, HFILE journalFile, const Path& journalPath) {
  // Longer than 32-bit positions reach: no store writes that.
  const int32_t size = _llseek(journalFile, 0, FILE_END);
  // The header decides before the saved bytes take any memory: a journal
  // that claims other lengths than its own is refused unread.
  std::string bytes;
  const int32_t headSize = std::min(size, journal_layout::kHeaderSize);
  const bool headRead = size >= 0 && ReadBytesAt(journalFile, 0, headSize, bytes);
  JournalRead check = headRead ? CheckJournalHeader(bytes, size) : JournalRead::kTorn;
  const bool read = check == JournalRead::kWhole && ReadBytesAt(journalFile, 0, size, bytes);
  // Before it may be removed: Windows removes no file that is open.
  _lclose(journalFile);
  if (size < 0) return Discard(journalPath, RecoveryOutcome::kDiscarded);
  if (!headRead || (check == JournalRead::kWhole && !read)) return RecoveryOutcome::kFailed;
  CStoreJournal journal;
  if (check == JournalRead::kWhole) check = DecodeJournal(bytes, journal);
  switch (check) {
    case JournalRead::kTorn:
      return Discard(journalPath, RecoveryOutcome::kDiscarded);
    case JournalRead::kNewer:
      return RecoveryOutcome::kNewerJournal;
    case JournalRead::kWhole:
      break;
  }
  bytes = std::string();

  // Shorter than the part a store never changes, or too long to address:
  // not the file the journal was written for.
  const int32_t offset = journal.m_backup.Offset();
  if (_llseek(ebook, 0, FILE_END) < offset) return Discard(journalPath, RecoveryOutcome::kStale);
  EBookIdentity identity;
  if (!IdentifyEBook(ebook, offset, identity, journal.m_nFormatVersion)) {
    return RecoveryOutcome::kFailed;
  }
  if (identity != journal.m_identity) return Discard(journalPath, RecoveryOutcome::kStale);
  if (!journal.m_backup.Restore(ebook) || !FlushFile(ebook)) return RecoveryOutcome::kFailed;
  // Should the journal stay, the next start restores the same bytes again.
  RemoveJournal(journalPath);
  return RecoveryOutcome::kRolledBack;
}

}  // namespace

RecoveryOutcome RecoverStore(const Path& ebookPath) {
  const Path journalPath = JournalPathFor(ebookPath);
  HFILE journal = HFILE_ERROR;
  switch (OpenPlainFile(journalPath, journal)) {
    case PlainOpen::kMissing:
      return RecoveryOutcome::kNoJournal;
    case PlainOpen::kRefused:
      return RecoveryOutcome::kUntrusted;
    case PlainOpen::kOpened:
      break;
  }
  const HFILE ebook = _lopen(ebookPath, OF_EXCLUSIVE_READWRITE);
  if (ebook == HFILE_ERROR) {
    _lclose(journal);
    return RecoveryOutcome::kLeft;
  }
  // Anyone who can read the E-Book can make a journal whose checksum and
  // identity hold; only its owner, or whoever runs us, may have it applied.
  RecoveryOutcome outcome = RecoveryOutcome::kUntrusted;
  if (WritableOnlyByOwnerOf(journal, ebook)) {
    outcome = Recover(ebook, journal, journalPath);
  } else {
    _lclose(journal);
  }
  _lclose(ebook);
  return outcome;
}

}  // namespace ebook
