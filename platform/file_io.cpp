#include "platform/file_io.h"

#include <atomic>
#include <limits>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/buffered_file.h"
#include "platform/io_faults.h"
#include "platform/native.h"
#include "platform/open_files.h"

namespace platform {
namespace {

constexpr int64_t kMaxPosition = std::numeric_limits<int32_t>::max();

struct OpenFiles {
  std::mutex mutex;
  std::unordered_map<HFILE, std::unique_ptr<BufferedFile>> byHandle;
};

OpenFiles& Files() {
  static OpenFiles files;
  return files;
}

// Counts closes: a thread's remembered handle is good only while it stays.
constinit std::atomic<uint64_t> g_closes{0};

// Every field of a table is one call here: the last handle a thread used is
// found without the lock.
thread_local HFILE t_lastHandle = HFILE_ERROR;
thread_local BufferedFile* t_lastFile = nullptr;
thread_local uint64_t t_lastCloses = 0;

BufferedFile* FindLocked(HFILE file, uint64_t closes) {
  OpenFiles& files = Files();
  std::lock_guard lock(files.mutex);
  const auto found = files.byHandle.find(file);
  t_lastHandle = file;
  t_lastFile = found == files.byHandle.end() ? nullptr : found->second.get();
  t_lastCloses = closes;
  return t_lastFile;
}

inline BufferedFile* Find(HFILE file) {
  const uint64_t closes = g_closes.load(std::memory_order_acquire);
  if (file == t_lastHandle && t_lastFile && closes == t_lastCloses) return t_lastFile;
  return FindLocked(file, closes);
}

}  // namespace

namespace open_files {

HFILE Adopt(HFILE file) {
  if (file == HFILE_ERROR) return HFILE_ERROR;
  const int64_t size = native::FileSize(file);
  if (size < 0) {
    native::CloseFile(file);
    return HFILE_ERROR;
  }
  OpenFiles& files = Files();
  std::lock_guard lock(files.mutex);
  files.byHandle[file] = std::make_unique<BufferedFile>(file, size);
  return file;
}

bool WriteOut(HFILE file) {
  BufferedFile* open = Find(file);
  return open && open->WriteOut() && open->NothingLost();
}

}  // namespace open_files

HFILE _lopen(const Path& path, int mode) {
  if (mode != OF_SHARED_READ && mode != OF_EXCLUSIVE_READWRITE) return HFILE_ERROR;
  return open_files::Adopt(native::OpenFile(path, mode));
}

HFILE _lcreat(const Path& path, unsigned permissions) {
  return open_files::Adopt(native::CreateOrTruncate(path, permissions));
}

int32_t _llseek(HFILE file, int32_t offset, int origin) {
  BufferedFile* open = Find(file);
  if (!open) return HFILE_ERROR;
  int64_t base = 0;
  if (origin == FILE_CURRENT) {
    base = open->Position();
  } else if (origin == FILE_END) {
    if (!open->RefreshSize()) return HFILE_ERROR;
    base = open->KnownSize();
  } else if (origin != FILE_BEGIN) {
    return HFILE_ERROR;
  }
  const int64_t target = base + offset;
  if (target < 0 || target > kMaxPosition || !open->MoveTo(target)) return HFILE_ERROR;
  return static_cast<int32_t>(target);
}

int32_t _lread(HFILE file, void* buffer, uint32_t count) {
  BufferedFile* open = Find(file);
  if (!open || count > static_cast<uint32_t>(kMaxPosition)) return HFILE_ERROR;
  return open->Read(buffer, count);
}

int32_t _lwrite(HFILE file, const void* buffer, uint32_t count) {
  BufferedFile* open = Find(file);
  if (!open || count > static_cast<uint32_t>(kMaxPosition)) return HFILE_ERROR;
  if (!IoAllowed(IoOperation::Write)) return HFILE_ERROR;
  return open->Write(buffer, count);
}

int64_t BytesLeft(HFILE file) {
  const BufferedFile* open = Find(file);
  if (!open) return -1;
  return open->KnownSize() > open->Position() ? open->KnownSize() - open->Position() : 0;
}

bool SetFileLength(HFILE file, int32_t length) {
  BufferedFile* open = Find(file);
  if (!open || length < 0 || !IoAllowed(IoOperation::Truncate)) return false;
  return open->SetLength(length);
}

HFILE _lclose(HFILE file) {
  std::unique_ptr<BufferedFile> open;
  {
    OpenFiles& files = Files();
    std::lock_guard lock(files.mutex);
    const auto found = files.byHandle.find(file);
    if (found == files.byHandle.end()) return HFILE_ERROR;
    open = std::move(found->second);
    files.byHandle.erase(found);
    g_closes.fetch_add(1, std::memory_order_release);
  }
  const bool written = open->WriteOut() && open->NothingLost();
  return native::CloseFile(file) && written ? 0 : HFILE_ERROR;
}

}  // namespace platform
