#include "tools/mkrebrander/bundle.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "tools/mkrebrander/stamp.h"

extern char** environ;

namespace stamping {
namespace {

namespace fs = std::filesystem;

// Runs an archiver found on the PATH in `folder`, its output discarded.
bool RunIn(const fs::path& folder, const std::vector<std::string>& args, std::string& error) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
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
    error = "cannot run " + args[0] + " (is it installed?)";
    return false;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  error = args[0] + " failed to write the archive";
  return false;
}

bool LayOut(const std::string& ebook, const std::string& bare, const Stamp& stamp,
            const fs::path& folder, bool windows, std::string& error) {
  std::error_code failed;
  fs::copy_file(ebook, folder / fs::path(ebook).filename(), failed);
  if (failed) {
    error = "cannot copy " + ebook + ": " + failed.message();
    return false;
  }
  const std::string rebrander = (folder / (windows ? "rebrander.exe" : "rebrander")).string();
  return StampRebrander(bare, rebrander, stamp.info, stamp.version, error);
}

}  // namespace

bool MakeBundle(const std::string& ebook, const std::string& bare, const Stamp& stamp,
                const std::string& folder, bool windows, std::string& error) {
  const fs::path target = fs::absolute(fs::path(folder).lexically_normal()).lexically_normal();
  const fs::path path = target.has_filename() ? target : target.parent_path();
  const fs::path parent = path.parent_path();
  const std::string name = path.filename().string();
  const fs::path archive = parent / (name + (windows ? ".zip" : ".tar.gz"));
  std::error_code failed;
  for (const fs::path& output : {path, archive}) {
    if (fs::exists(fs::symlink_status(output, failed))) {
      error = output.string() + " already exists";
      return false;
    }
  }
  // Everything is made under names of its own and renamed into place at the end.
  std::string scratch = (parent / ("." + name + ".XXXXXX")).string();
  if (!mkdtemp(scratch.data())) {
    error = "cannot create a folder in " + parent.string();
    return false;
  }
  const fs::path staging = fs::path(scratch) / name;
  const fs::path partial = fs::path(scratch) / archive.filename();
  bool ok = fs::create_directory(staging, failed);
  if (!ok) error = "cannot create a folder in " + parent.string();
  ok = ok && LayOut(ebook, bare, stamp, staging, windows, error);
  if (ok) {
    ok = windows ? RunIn(scratch, {"zip", "-qrX", partial.string(), name}, error)
                 : RunIn(scratch, {"tar", "-czf", partial.string(), name}, error);
  }
  if (ok) {
    fs::rename(staging, path, failed);
    const bool placed = !failed;
    if (placed) fs::rename(partial, archive, failed);
    if (failed) {
      if (placed) fs::remove_all(path, failed);
      error = "cannot write " + path.string() + ": " + failed.message();
      ok = false;
    }
  }
  fs::remove_all(scratch, failed);
  return ok;
}

}  // namespace stamping
