#include "tools/mkrebrander/bundle.h"

#include <chrono>
#include <filesystem>
#include <random>
#include <vector>

#include "tools/common/tool_paths.h"
#include "tools/mkrebrander/mkrebrander_messages.h"
#include "tools/mkrebrander/stamp.h"
#include "tools/mkrebrander/zip_archive.h"

#ifdef _WIN32
#include <process.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;
#endif

namespace stamping {
namespace {

namespace fs = std::filesystem;
using tool_files::FsPath;
using tool_files::Utf8Path;

#ifdef _WIN32
// tar comes with Windows 10 and later.
bool RunTar(const std::vector<std::string>& args, std::string& error) {
  std::vector<std::wstring> wide;
  for (const std::string& arg : args) wide.push_back(FsPath(arg).wstring());
  std::vector<const wchar_t*> argv;
  for (const std::wstring& arg : wide) argv.push_back(arg.c_str());
  argv.push_back(nullptr);
  const intptr_t status = _wspawnvp(_P_WAIT, argv[0], argv.data());
  if (status == 0) return true;
  error = status < 0 ? mkrebrander_messages::kCannotRunTar : mkrebrander_messages::kTarFailed;
  return false;
}
#else
bool RunTar(const std::vector<std::string>& args, std::string& error) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (const int fd : {1, 2}) {
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_WRONLY, 0);
  }
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    error = mkrebrander_messages::kCannotRunTar;
    return false;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  error = mkrebrander_messages::kTarFailed;
  return false;
}
#endif

// A new folder of a name nobody else uses, in `parent`.
bool MakeScratch(const fs::path& parent, const std::string& base, fs::path& scratch) {
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    scratch = parent / ("." + base + "." + std::to_string(random() % 1000000));
    std::error_code failed;
    if (fs::create_directory(scratch, failed)) return true;
    if (failed && failed != std::errc::file_exists) return false;
  }
  return false;
}

std::time_t ModifiedAt(const fs::path& path) {
  std::error_code failed;
  const fs::file_time_type when = fs::last_write_time(path, failed);
  if (failed) return 0;
  return std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(
          std::chrono::file_clock::to_sys(when)));
}

}  // namespace

bool MakeBundle(const std::string& ebook, const std::string& bare, const Stamp& stamp,
                const std::string& folder, bool windows, std::string& error) {
  const fs::path target = fs::absolute(FsPath(folder).lexically_normal()).lexically_normal();
  const fs::path path = target.has_filename() ? target : target.parent_path();
  const fs::path parent = path.parent_path();
  const std::string name = Utf8Path(path.filename());
  const fs::path archive = parent / FsPath(name + (windows ? ".zip" : ".tar.gz"));
  std::error_code failed;
  for (const fs::path& output : {path, archive}) {
    if (fs::exists(fs::symlink_status(output, failed))) {
      error = Utf8Path(output) + ": " + mkrebrander_messages::kAlreadyExists;
      return false;
    }
  }
  // Everything is made under names of its own and renamed into place at the end.
  fs::path scratch;
  if (!MakeScratch(parent, name, scratch)) {
    error = Utf8Path(parent) + ": " + mkrebrander_messages::kCannotCreateFolder;
    return false;
  }
  const fs::path staging = scratch / FsPath(name);
  const fs::path partial = scratch / archive.filename();
  const std::string ebookName = Utf8Path(FsPath(ebook).filename());
  const std::string rebrander = windows ? "rebrander.exe" : "rebrander";
  bool ok = fs::create_directory(staging, failed);
  if (!ok)
    error = Utf8Path(parent) + ": " + mkrebrander_messages::kCannotCreateFolder + ": " +
            failed.message();
  if (ok) {
    fs::copy_file(FsPath(ebook), staging / FsPath(ebookName), failed);
    if (failed) error = ebook + ": " + mkrebrander_messages::kCannotCopy + ": " + failed.message();
    ok = !failed;
  }
  if (ok &&
      !StampRebrander(bare, Utf8Path(staging / rebrander), stamp.info, stamp.version, error)) {
    // The rebrander is made in the scratch folder; the user knows it by its place in the bundle.
    const std::string made = Utf8Path(staging / rebrander);
    if (error.rfind(made, 0) == 0) error = Utf8Path(path / rebrander) + error.substr(made.size());
    ok = false;
  }
  if (ok && windows) {
    const std::vector<ZipEntry> entries = {
        {name + "/", ""},
        {name + "/" + ebookName, Utf8Path(staging / FsPath(ebookName))},
        {name + "/" + rebrander, Utf8Path(staging / rebrander)}};
    ok = WriteZip(Utf8Path(partial), entries, ModifiedAt(FsPath(ebook)), error);
  } else if (ok) {
    ok = RunTar({"tar", "-czf", Utf8Path(partial), "-C", Utf8Path(scratch), name}, error);
  }
  if (ok) {
    fs::rename(staging, path, failed);
    const bool placed = !failed;
    if (placed) fs::rename(partial, archive, failed);
    if (failed) {
      if (placed) fs::remove_all(path, failed);
      error = Utf8Path(path) + ": " + failed.message();
      ok = false;
    }
  }
  fs::remove_all(scratch, failed);
  return ok;
}

}  // namespace stamping
