// The rollback journal of a store, `<E-Book>.rebrander-journal` beside it:
// its name, its layout, and writing and removing it. The order in which a
// store writes it, the E-Book and their flushes, and what recovery makes of
// each state a power cut can leave, are in table_store.h.
#pragma once

#include <cstdint>
#include <string>

#include "ebook/store_backup.h"
#include "platform/file_handle.h"
#include "platform/path.h"

namespace ebook {

#ifdef _WIN32
inline constexpr platform::PathChar kJournalSuffix[] = L".rebrander-journal";
#else
inline constexpr platform::PathChar kJournalSuffix[] = ".rebrander-journal";
#endif

// The journal's layout, integers little-endian: a fixed header, the E-Book's
// original bytes from the table offset to its original length, and a checksum
// of everything before it.
namespace journal_layout {
struct Field {
  int32_t at;
  int32_t size;
  constexpr int32_t end() const { return at + size; }
};
inline constexpr Field kMagic{0, 8};  // "RBJOURNL"
inline constexpr Field kVersion{kMagic.end(), 4};
inline constexpr Field kDevice{kVersion.end(), 8};  // the E-Book file's identity
inline constexpr Field kInode{kDevice.end(), 8};
inline constexpr Field kPrefixChecksum{kInode.end(), 8};  // of bytes before the table
inline constexpr Field kTableOffset{kPrefixChecksum.end(), 4};
inline constexpr Field kOriginalLength{kTableOffset.end(), 4};
inline constexpr int32_t kHeaderSize = kOriginalLength.end();
inline constexpr int32_t kChecksumSize = 8;  // after the saved bytes
inline constexpr uint32_t kFormatVersion = 2;
inline constexpr uint32_t kOldestFormatVersion = 1;  // checked byte by byte; else the same
}  // namespace journal_layout

// The journal's name: the E-Book's own with the suffix, in the same folder.
platform::Path JournalPathFor(const platform::Path& ebookPath);
// The folder part of a path; "." when there is none.
platform::Path FolderOf(const platform::Path& path);

// What proves that a file is the E-Book a journal was written for: the same
// file on the same device, holding the same bytes before the table, which a
// store never changes. Of those bytes, the first and the last `kIdentitySpan`
// are checked.
inline constexpr int32_t kIdentitySpan = 1 << 20;
struct EBookIdentity {
  uint64_t m_nDevice = 0;
  uint64_t m_nInode = 0;
  uint64_t m_nPrefixChecksum = 0;
  bool operator==(const EBookIdentity&) const = default;
};

// The identity of the open E-Book with its table at `tableOffset`, as a
// journal of `formatVersion` records it. Fails when the file is shorter than
// that or cannot be read.
bool IdentifyEBook(platform::HFILE file, int32_t tableOffset, EBookIdentity& identity,
                   uint32_t formatVersion = journal_layout::kFormatVersion);

struct CStoreJournal {
  uint32_t m_nFormatVersion = journal_layout::kFormatVersion;
  EBookIdentity m_identity;
  CStoreBackup m_backup;
};

enum class JournalRead {
  kWhole,
  kTorn,   // not a whole journal: cut short, damaged, or not a journal at all
  kNewer,  // a journal of a format version this program does not know
};

std::string EncodeJournal(const CStoreJournal& journal);
// From the first kHeaderSize bytes (fewer when the file is shorter) and the
// journal file's size, before the rest is read: kNewer or kTorn when the
// header says so already, kWhole when the rest is worth reading.
JournalRead CheckJournalHeader(const std::string& head, int64_t size);
// kWhole only for a journal of a format this program knows with its checksum
// right and its lengths in agreement; then `journal` holds it.
JournalRead DecodeJournal(const std::string& bytes, CStoreJournal& journal);

// Creates the journal at `path` (which must not exist yet) and writes it,
// without flushing: the open journal, or HFILE_ERROR after removing whatever
// it created.
platform::HFILE CreateJournal(const platform::Path& path, const CStoreJournal& journal);
// Removes the journal and flushes its folder, so that it stays gone.
bool RemoveJournal(const platform::Path& path);

}  // namespace ebook
