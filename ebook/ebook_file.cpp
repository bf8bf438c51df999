#include "ebook/ebook_file.h"

#include "ebook/ebook_messages.h"
#include "ebook/store_recovery.h"
#include "ebook/table_store.h"
#include "ebook/trailer_access.h"
#include "formats/rebrand_info.h"
#include "platform/file_io.h"
#include "platform/sleep.h"
#include "platform/user_interface.h"

namespace ebook {

using formats::CVariableTable;
using namespace platform;

namespace {

constexpr int kProbeTries = 5;
constexpr uint32_t kProbePauseMs = 1000;

bool Refuse(const std::string& text) {
  AfxMessageBox(text, MessageIcon::Exclamation);
  return false;
}

}  // namespace

CEBookFile::CEBookFile() : m_strPath(formats::GetRebrandInfo().GetEBookPath()) {}

bool CEBookFile::Exists() const {
  const HFILE file = _lopen(m_strPath, OF_SHARED_READ);
  if (file == HFILE_ERROR) return false;
  _lclose(file);
  return true;
}

bool CEBookFile::ReadIdentity(std::string& id, int32_t& version) const {
  const HFILE file = _lopen(m_strPath, OF_SHARED_READ);
  if (file == HFILE_ERROR) return false;
  formats::CEBookTrailer trailer;
  int32_t length = 0;
  const bool read = ReadEBookTrailer(file, trailer, length);
  _lclose(file);
  if (read) {
    id = trailer.GetId();
    version = trailer.m_nVersion;
  }
  return read;
}

bool CEBookFile::Validate() const {
  const formats::CRebrandInfo& info = formats::GetRebrandInfo();
  const std::string start = kEBookPrefix + info.GetEBookFileName();
  if (!Exists()) {
    return Refuse(start + kNotFoundSuffix + TextFromPath(info.GetModuleFolder()) +
                  kNotFoundFolderEnd);
  }
  std::string id;
  int32_t version = 0;
  if (!ReadIdentity(id, version)) return Refuse(start + kCorruptSuffix);
  // Identity before version, both exact.
  if (id != info.Info().m_strEBookId) return Refuse(start + kDifferentEBookSuffix);
  if (version != info.Trailer().m_nVersion) return Refuse(start + kDifferentVersionSuffix);
  return true;
}

bool CEBookFile::ProbeNotInUse() const {
  bool opened = false;
  {
    CWaitCursor wait;
    // The pause follows every failed try, the last one included.
    for (int tries = 0; !opened && tries < kProbeTries; ++tries) {
      const HFILE file = _lopen(m_strPath, OF_EXCLUSIVE_READWRITE);
      if (file != HFILE_ERROR) {
        _lclose(file);
        opened = true;
      } else {
        Sleep(kProbePauseMs);
      }
    }
  }
  return opened || Refuse(kAlreadyRunning);
}

bool CEBookFile::LoadTable(CVariableTable& table) const {
  const HFILE file = _lopen(m_strPath, OF_EXCLUSIVE_READWRITE);
  if (file == HFILE_ERROR) return Refuse(kErrorReadingEBook);
  const bool loaded = CTableStore(file).Load(table);
  _lclose(file);
  return loaded || Refuse(kErrorReadingEBook);
}

bool CEBookFile::StoreTable(const CVariableTable& table) const {
  const HFILE file = _lopen(m_strPath, OF_EXCLUSIVE_READWRITE);
  if (file == HFILE_ERROR) return Refuse(kCantOpenForWriting);
  const bool stored = CTableStore(file).Store(m_strPath, table);
  _lclose(file);
  return stored || Refuse(kErrorWritingEBook);
}

bool CEBookFile::RecoverInterruptedStore(EBookUse use) const {
  switch (RecoverStore(m_strPath)) {
    case RecoveryOutcome::kRolledBack:
    case RecoveryOutcome::kDiscarded:
      AfxMessageBox(kInterruptedStoreUndone, MessageIcon::Information);
      return true;
    case RecoveryOutcome::kFailed:
      return Refuse(kErrorWritingEBook);
    // Viewing changes nothing; customizing could overwrite what the journal
    // still keeps.
    case RecoveryOutcome::kNewerJournal:
      AfxMessageBox(kJournalOfNewerVersion, MessageIcon::Exclamation);
      return use == EBookUse::kView;
    case RecoveryOutcome::kUntrusted:
      AfxMessageBox(kJournalNotTrusted, MessageIcon::Exclamation);
      return use == EBookUse::kView;
    default:
      return true;
  }
}

}  // namespace ebook
