// Start to the mapped main window: the real rebrander, stamped beside a packed
// sample E-Book, against a bare Qt dialog. Each program is started with the
// map probe preloaded, which ends it once its window is exposed; best of 5.
// Run it on a display (Xvfb will do); without one, Qt's offscreen platform.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/timing.h"
#include "tools/mkebook/ebook_package.h"
#include "tools/mkrebrander/stamp.h"

extern char** environ;

namespace {

[[noreturn]] void Die(const std::string& why) {
  std::fprintf(stderr, "startup_bench: %s\n", why.c_str());
  std::exit(1);
}

// Runs the program with the probe until it ends; the title of the window it
// showed first, or "" if it ended otherwise.
std::string RunToWindow(const std::string& program, const std::string& titleFile) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, titleFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  setenv("LD_PRELOAD", MAP_PROBE, 1);
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  pid_t pid = 0;
  const bool started = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) == 0;
  unsetenv("LD_PRELOAD");
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (!started || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    return std::string();
  }
  std::ifstream in(titleFile);
  std::string title;
  std::getline(in, title);
  return title;
}

// The main window, not a message box in its place, must be what showed.
double StartToWindow(const std::string& program, const std::string& title,
                     const std::string& folder) {
  return bench::BestOf([&] {
    const std::string shown = RunToWindow(program, folder + "/title");
    if (shown != title) Die(program + " showed \"" + shown + "\", not \"" + title + "\"");
  });
}

}  // namespace

int main() {
  if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::string folder = (std::filesystem::temp_directory_path() / "startup-bench-XXXXXX").string();
  if (!mkdtemp(folder.data())) Die("cannot make a scratch folder");
  packing::EBookPackage package;
  package.trailer.SetId("Startup 1");
  std::string error;
  const std::string ebook = folder + "/book";
  if (!packing::PackEBook(SAMPLE_EBOOK, package, ebook, error)) Die(error);
  formats::CInfoBlock info;
  info.m_strEBookFile = "book";
  info.m_strEBookId = "Startup 1";
  info.m_strTitle = "Startup";
  info.m_strStatusBefore = "Press Customize.";
  const std::string rebrander = folder + "/rebrander";
  if (!stamping::StampRebrander(REBRANDER, rebrander, info, 0, error)) Die(error);

  const double bare = StartToWindow(BARE_DIALOG, "Bare", folder);
  const double real = StartToWindow(rebrander, info.m_strTitle, folder);
  std::printf("| start to a mapped window (%s), best of %d | %8.1f ms |\n",
              std::getenv("DISPLAY") ? "X display" : "offscreen", bench::kRuns, real);
  std::printf("| bare Qt dialog with a label and three buttons | %8.1f ms | %.2fx |\n", bare,
              real / bare);
  std::filesystem::remove_all(folder);
  return 0;
}
