// The rollback journal of a store. It is written and flushed beside the E-Book
// before the E-Book's first byte changes, and removed once the stored E-Book is
// on the disk; while it exists, it can put the E-Book back as it was.
//
// Layout, integers little-endian:
//    0  "RBJOURNL"                                    8 bytes
//    8  format version (1)                            4
//   12  device and inode of the E-Book                8 + 8
//   28  checksum of the E-Book's bytes before the table  8
//   36  table offset                                  4
//   40  original length                               4
//   44  the original bytes from the table offset to the original length
//  end  checksum of everything before it              8
#pragma once

#include <cstdint>
#include <string>

#include "ebook/store_backup.h"
#include "platform/file_io.h"

namespace ebook {

inline constexpr char kJournalSuffix[] = ".rebrander-journal";
inline constexpr int32_t kJournalHeaderSize = 44;
inline constexpr int32_t kJournalChecksumSize = 8;

// The journal's name: the E-Book's own with the suffix, in the same folder.
std::string JournalPathFor(const std::string& ebookPath);
// The folder part of a path; "." when there is none.
std::string FolderOf(const std::string& path);

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

// The identity of the open E-Book with its table at `tableOffset`. Fails when
// the file is shorter than that or cannot be read.
bool IdentifyEBook(platform::HFILE file, int32_t tableOffset, EBookIdentity& identity);

struct CStoreJournal {
  EBookIdentity m_identity;
  CStoreBackup m_backup;
};

std::string EncodeJournal(const CStoreJournal& journal);
// False for anything that is not a whole journal of this format: too short,
// too long, a wrong checksum, marker or version, or lengths that disagree.
bool DecodeJournal(const std::string& bytes, CStoreJournal& journal);

// Creates the journal at `path` (which must not exist yet), writes it, and
// flushes it and its folder. On failure removes whatever it created.
bool WriteJournal(const std::string& path, const CStoreJournal& journal);
// Removes the journal and flushes its folder, so that it stays gone.
bool RemoveJournal(const std::string& path);

}  // namespace ebook
