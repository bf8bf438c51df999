#include "tools/common/output_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "platform/durable_files.h"
#include "platform/path.h"
#include "tools/common/kit_messages.h"
#include "tools/common/tool_paths.h"

namespace tool_files {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kNewFile = 0644;

std::string Reason(const std::error_code& failed) {
  return failed.message();
}

}  // namespace

OutputFile::~OutputFile() {
  Abandon();
}

bool OutputFile::Open(const std::string& target, const std::string& modeFrom, std::string& error) {
  m_target = target;
  const fs::path path = FsPath(target);
  std::error_code failed;
  const fs::file_status existing = fs::status(path, failed);
  if (fs::exists(existing)) {
    if (!fs::is_regular_file(existing)) {
      error = target + ": " +
              (fs::is_directory(existing) ? kit_messages::kIsFolder : kit_messages::kIsNoPlainFile);
      return false;
    }
    // A read-only file stays as it is: replacing it would go around its owner's wish.
    if ((existing.permissions() & fs::perms::owner_write) == fs::perms::none) {
      error = target + ": " + std::strerror(EACCES);
      return false;
    }
    m_permissions = static_cast<unsigned>(existing.permissions() & fs::perms::mask);
  } else if (!modeFrom.empty()) {
    m_permissions =
        static_cast<unsigned>(fs::status(FsPath(modeFrom), failed).permissions() & fs::perms::mask);
    if (failed) m_permissions = kNewFile;
  } else {
    m_permissions = kNewFile;
  }
  std::random_device seed;
  std::mt19937 random(seed());
  const fs::path folder = path.parent_path();
  for (int attempt = 0; attempt < 100 && m_file == platform::HFILE_ERROR; ++attempt) {
    m_temporary = Utf8Path(folder / FsPath("." + Utf8Path(path.filename()) + "." +
                                           std::to_string(random() % 1000000) + ".tmp"));
    errno = 0;
    m_file = platform::CreateNewFile(platform::PathFromUtf8(m_temporary));
    if (m_file == platform::HFILE_ERROR && errno != EEXIST) break;
  }
  if (m_file == platform::HFILE_ERROR) {
    error = target + ": " + SystemReason();
    m_temporary.clear();
    return false;
  }
  return true;
}

bool OutputFile::Commit(std::string& error) {
  const bool flushed = platform::FlushFile(m_file);
  if (!flushed) error = WriteFailure();
  const bool closed = platform::_lclose(m_file) == 0;
  m_file = platform::HFILE_ERROR;
  if (flushed && !closed) error = WriteFailure();
  std::error_code failed;
  if (flushed && closed) {
    fs::permissions(FsPath(m_temporary), static_cast<fs::perms>(m_permissions), failed);
    if (!failed) fs::rename(FsPath(m_temporary), FsPath(m_target), failed);
    if (failed) error = m_target + ": " + Reason(failed);
  }
  if (!flushed || !closed || failed) {
    Abandon();
    return false;
  }
  m_temporary.clear();
  return true;
}

void OutputFile::Abandon() {
  if (m_file != platform::HFILE_ERROR) platform::_lclose(m_file);
  m_file = platform::HFILE_ERROR;
  if (!m_temporary.empty()) platform::RemoveFile(platform::PathFromUtf8(m_temporary));
  m_temporary.clear();
}

std::string OutputFile::WriteFailure() const {
  return m_target + ": " + SystemReason();
}

}  // namespace tool_files
