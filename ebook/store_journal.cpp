#include "ebook/store_journal.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "ebook/checksum.h"
#include "platform/durable_files.h"
#include "platform/file_io.h"

namespace ebook {

using namespace platform;

namespace {

using namespace journal_layout;

constexpr char kMagicBytes[] = "RBJOURNL";
static_assert(sizeof kMagicBytes - 1 == kMagic.size);

CChecksum ChecksumOfVersion(uint64_t version) {
  return CChecksum(version == 1 ? ChecksumKind::kBytewise : ChecksumKind::kLanes);
}

void Put(std::string& out, Field field, uint64_t value) {
  for (int i = 0; i < field.size; ++i) out[field.at + i] = static_cast<char>(value >> (8 * i));
}

uint64_t Get(const std::string& in, Field field) {
  uint64_t value = 0;
  for (int i = 0; i < field.size; ++i) {
    value |= uint64_t{static_cast<uint8_t>(in[field.at + i])} << (8 * i);
  }
  return value;
}

std::string EncodeHeader(const CStoreJournal& journal) {
  std::string header(kHeaderSize, '\0');
  header.replace(kMagic.at, kMagic.size, kMagicBytes);
  Put(header, kVersion, journal.m_nFormatVersion);
  Put(header, kDevice, journal.m_identity.m_nDevice);
  Put(header, kInode, journal.m_identity.m_nInode);
  Put(header, kPrefixChecksum, journal.m_identity.m_nPrefixChecksum);
  Put(header, kTableOffset, static_cast<uint32_t>(journal.m_backup.Offset()));
  Put(header, kOriginalLength, static_cast<uint32_t>(journal.m_backup.Length()));
  return header;
}

std::string EncodeChecksum(uint32_t version, const std::string& header, const std::string& tail) {
  CChecksum sum = ChecksumOfVersion(version);
  sum.Add(header.data(), header.size());
  sum.Add(tail.data(), tail.size());
  std::string out(kChecksumSize, '\0');
  Put(out, {0, kChecksumSize}, sum.Value());
  return out;
}

bool WriteAll(HFILE file, const std::string& bytes) {
  return _lwrite(file, bytes.data(), static_cast<uint32_t>(bytes.size())) ==
         static_cast<int32_t>(bytes.size());
}

// Adds the file's bytes from `begin` to `end`; fails if any is missing.
bool AddFileBytes(HFILE file, int32_t begin, int32_t end, CChecksum& sum) {
  if (begin == end) return true;
  if (_llseek(file, begin, FILE_BEGIN) != begin || BytesLeft(file) < end - begin) return false;
  // Chunks this large go from the file straight into the buffer.
  const int32_t size = std::min(end - begin, 256 * 1024);
  const std::unique_ptr<char[]> buffer(new char[size]);
  for (int32_t left = end - begin; left > 0;) {
    const auto chunk = static_cast<uint32_t>(std::min(left, size));
    if (_lread(file, buffer.get(), chunk) != static_cast<int32_t>(chunk)) return false;
    sum.Add(buffer.get(), chunk);
    left -= static_cast<int32_t>(chunk);
  }
  return true;
}

}  // namespace

Path JournalPathFor(const Path& ebookPath) {
  return ebookPath + kJournalSuffix;
}

Path FolderOf(const Path& path) {
  const auto slash = LastSeparator(path);
  if (slash == Path::npos) return Path(1, PathChar('.'));
  // A root ("/", "C:\\") keeps its separator: without it, it names another folder.
  const bool root = slash == 0 || path[slash - 1] == PathChar(':');
  return path.substr(0, root ? slash + 1 : slash);
}

bool IdentifyEBook(HFILE file, int32_t tableOffset, EBookIdentity& identity,
                   uint32_t formatVersion) {
  FileIdentity id;
  if (tableOffset < 0 || !GetFileIdentity(file, id)) return false;
  // The program's head and the bytes right before the table: what differs
  // between two E-Books, without reading the whole of a large one.
  const int32_t headEnd = std::min(tableOffset, kIdentitySpan);
  const int32_t tailStart = std::max(headEnd, tableOffset - kIdentitySpan);
  CChecksum sum = ChecksumOfVersion(formatVersion);
  if (!AddFileBytes(file, 0, headEnd, sum) || !AddFileBytes(file, tailStart, tableOffset, sum)) {
    return false;
  }
  identity = {id.device, id.inode, sum.Value()};
  return true;
}

std::string EncodeJournal(const CStoreJournal& journal) {
  const std::string header = EncodeHeader(journal);
  return header + journal.m_backup.Bytes() +
         EncodeChecksum(journal.m_nFormatVersion, header, journal.m_backup.Bytes());
}

JournalRead CheckJournalHeader(const std::string& head, int64_t size) {
  if (head.size() >= size_t(kVersion.end()) &&
      head.compare(kMagic.at, kMagic.size, kMagicBytes) == 0 &&
      Get(head, kVersion) > kFormatVersion) {
    return JournalRead::kNewer;
  }
  if (head.size() < size_t(kHeaderSize) || size < kHeaderSize + kChecksumSize) {
    return JournalRead::kTorn;
  }
  // The saved bytes must fill the file between header and checksum.
  const int64_t saved = int64_t{static_cast<int32_t>(Get(head, kOriginalLength))} -
                        static_cast<int32_t>(Get(head, kTableOffset));
  return saved == size - kHeaderSize - kChecksumSize ? JournalRead::kWhole : JournalRead::kTorn;
}

JournalRead DecodeJournal(const std::string& bytes, CStoreJournal& journal) {
  // A newer version may lay out, and check, the rest as it likes.
  if (bytes.size() >= size_t(kVersion.end()) &&
      bytes.compare(kMagic.at, kMagic.size, kMagicBytes) == 0 &&
      Get(bytes, kVersion) > kFormatVersion) {
    return JournalRead::kNewer;
  }
  if (bytes.size() < size_t(kHeaderSize + kChecksumSize) ||
      bytes.size() > size_t{std::numeric_limits<int32_t>::max()}) {
    return JournalRead::kTorn;
  }
  const size_t checksumAt = bytes.size() - kChecksumSize;
  const uint64_t version = Get(bytes, kVersion);
  CChecksum sum = ChecksumOfVersion(version);
  sum.Add(bytes.data(), checksumAt);
  if (sum.Value() != Get(bytes, {static_cast<int32_t>(checksumAt), kChecksumSize}) ||
      bytes.compare(kMagic.at, kMagic.size, kMagicBytes) != 0 || version < kOldestFormatVersion ||
      version > kFormatVersion) {
    return JournalRead::kTorn;
  }
  const auto offset = static_cast<int32_t>(Get(bytes, kTableOffset));
  const auto length = static_cast<int32_t>(Get(bytes, kOriginalLength));
  if (offset < 0 || length < offset ||
      static_cast<size_t>(length - offset) != checksumAt - kHeaderSize) {
    return JournalRead::kTorn;
  }
  journal.m_nFormatVersion = static_cast<uint32_t>(version);
  journal.m_identity = {Get(bytes, kDevice), Get(bytes, kInode), Get(bytes, kPrefixChecksum)};
  journal.m_backup.Assign(offset, length, bytes.substr(kHeaderSize, length - offset));
  return JournalRead::kWhole;
}

HFILE CreateJournal(const Path& path, const CStoreJournal& journal) {
  const std::string& tail = journal.m_backup.Bytes();
  // Recovery reads the journal with 32-bit positions.
  if (tail.size() > size_t{std::numeric_limits<int32_t>::max()} - (kHeaderSize + kChecksumSize)) {
    return HFILE_ERROR;
  }
  const std::string header = EncodeHeader(journal);
  const std::string checksum = EncodeChecksum(journal.m_nFormatVersion, header, tail);
  const HFILE file = CreateNewFile(path);
  if (file == HFILE_ERROR) return HFILE_ERROR;  // never someone else's journal
  if (WriteAll(file, header) && WriteAll(file, tail) && WriteAll(file, checksum)) return file;
  _lclose(file);
  RemoveFile(path);
  return HFILE_ERROR;
}

bool RemoveJournal(const Path& path) {
  return RemoveFile(path) && FlushFolder(FolderOf(path));
}

}  // namespace ebook
