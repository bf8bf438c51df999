// Loading the variable table and storing it back in place.
#include <limits>

#include "ebook/ebook_file.h"
#include "ebook/ebook_messages.h"
#include "ebook/store_journal.h"
#include "ebook/trailer_access.h"
#include "platform/durable_files.h"
#include "platform/user_interface.h"

namespace ebook {

using formats::CEBookTrailer;
using formats::CFieldStream;
using formats::CVariableTable;
using namespace platform;

namespace {

bool Fail(const char* text) {
  AfxMessageBox(text, MessageIcon::Exclamation);
  return false;
}

bool LoadFromFile(HFILE file, CVariableTable& table) {
  CEBookTrailer trailer;
  int32_t length = 0;
  if (!ReadEBookTrailer(file, trailer, length)) return false;
  const int32_t offset = trailer.m_nTableOffset;
  return TableOffsetFits(offset, length) && _llseek(file, offset, FILE_BEGIN) == offset &&
         table.Read(file) && TableEndFits(_llseek(file, 0, FILE_CURRENT), length);
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

bool StoreInPlace(HFILE file, const Path& path, const CVariableTable& table) {
  CEBookTrailer trailer;
  int32_t length = 0;
  // Nothing is written unless the trailer reads and the table lies before it.
  if (!ReadEBookTrailer(file, trailer, length) ||
      !TableOffsetFits(trailer.m_nTableOffset, length)) {
    return false;
  }
  CStoreJournal journal;
  if (!IdentifyEBook(file, trailer.m_nTableOffset, journal.m_identity) ||
      !journal.m_backup.Save(file, trailer.m_nTableOffset, length)) {
    return false;
  }
  // The journal is on the disk before the E-Book's first byte changes, and the
  // store counts only once the journal is gone for good.
  const Path journalPath = JournalPathFor(path);
  if (!WriteJournal(journalPath, journal)) return false;
  if (WriteTableAndTrailer(file, table, trailer, length - CEBookTrailer::kSize) &&
      FlushFile(file) && RemoveFile(journalPath)) {
    // Stored. Should the removal not reach the disk, a power loss now brings
    // the journal back and the next start rolls back and says so; the E-Book
    // is never left half-written.
    FlushFolder(FolderOf(journalPath));
    return true;
  }
  // Put back under the journal's cover. Should that fail as well, the journal
  // stays for the next start.
  if (journal.m_backup.Restore(file) && FlushFile(file)) RemoveJournal(journalPath);
  return false;
}

}  // namespace

bool CEBookFile::LoadTable(CVariableTable& table) const {
  const HFILE file = _lopen(m_strPath, OF_EXCLUSIVE_READWRITE);
  if (file == HFILE_ERROR) return Fail(kErrorReadingEBook);
  const bool loaded = LoadFromFile(file, table);
  _lclose(file);
  return loaded || Fail(kErrorReadingEBook);
}

bool CEBookFile::StoreTable(const CVariableTable& table) const {
  const HFILE file = _lopen(m_strPath, OF_EXCLUSIVE_READWRITE);
  if (file == HFILE_ERROR) return Fail(kCantOpenForWriting);
  const bool stored = StoreInPlace(file, m_strPath, table);
  _lclose(file);
  return stored || Fail(kErrorWritingEBook);
}

}  // namespace ebook
