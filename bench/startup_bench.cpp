// Start to the mapped main window, as the user sees it: from the moment a
// program is started until the X server maps its main window, watched from
// this process. The stamped rebrander, beside a packed sample E-Book, against
// a bare Qt dialog, the two taking turns, median of 21 each. Given the Windows
// build's folder, rebrander.exe against the bare wizard under Wine the same
// way. Run it on a display (Xvfb will do).
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "bench/map_watch.h"
#include "tools/mkebook/ebook_package.h"
#include "tools/mkrebrander/stamp.h"

extern char** environ;

namespace {

constexpr int kRuns = 21;
constexpr double kTimeoutMs = 60000;

std::string g_folder;  // the scratch folder, removed however the run ends

[[noreturn]] void Die(const std::string& why) {
  std::fprintf(stderr, "startup_bench: %s\n", why.c_str());
  if (!g_folder.empty()) std::filesystem::remove_all(g_folder);
  std::exit(1);
}

struct Contender {
  Contender(std::vector<std::string> command, std::string title)
      : command(std::move(command)), title(std::move(title)) {}
  std::vector<std::string> command;
  std::string title;  // of the window it must map
  std::vector<double> times;
  std::vector<double> cpu;  // processor time the program had spent by then
};

// The processor time of every thread of `pid` so far, in milliseconds: what
// the program did itself, whatever else the machine was doing.
double CpuMs(pid_t pid) {
  double ns = 0;
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  std::error_code error;
  for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
    std::ifstream in(task.path() / "schedstat");
    double running = 0;
    if (in >> running) ns += running;
  }
  return ns / 1e6;
}

// One start of the program to its window; the program is ended after.
void StartToMap(bench::MapWatch& watch, Contender& contender) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  std::vector<char*> argv;
  for (const std::string& word : contender.command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  watch.Forget();
  pid_t pid = 0;
  const double start = bench::NowMs();
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    Die("cannot start " + contender.command.back());
  }
  posix_spawn_file_actions_destroy(&actions);
  const double took = watch.WaitMapped(contender.title, start, kTimeoutMs);
  const double cpu = CpuMs(pid);
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  if (took < 0) Die(contender.command.back() + " mapped no window \"" + contender.title + "\"");
  contender.times.push_back(took);
  contender.cpu.push_back(cpu);
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// Both once to warm the caches, then taking turns.
void Compare(bench::MapWatch& watch, Contender program, Contender floor, const char* what) {
  StartToMap(watch, floor);
  StartToMap(watch, program);
  program.times.clear();
  floor.times.clear();
  program.cpu.clear();
  floor.cpu.clear();
  for (int run = 0; run < kRuns; ++run) {
    StartToMap(watch, floor);
    StartToMap(watch, program);
  }
  const double real = Median(program.times), bare = Median(floor.times);
  const double realCpu = Median(program.cpu), bareCpu = Median(floor.cpu);
  std::printf("| %s | %.1f ms | %.1f ms | %.2fx | %.1f ms | %.1f ms |\n", what, real, bare,
              real / bare, realCpu, bareCpu);
}

// The sample E-Book packed into `folder` as `book`, and the rebrander stamped
// for it as `rebrander`; the title the rebrander's main window will have.
std::string LayOut(const std::string& sampleEBook, const std::string& rebrander,
                   const std::string& folder, const std::string& book, const std::string& program) {
  packing::EBookPackage package;
  package.trailer.SetId("Startup 1");
  std::string error;
  if (!packing::PackEBook(sampleEBook, package, folder + "/" + book, error)) Die(error);
  formats::CInfoBlock info;
  info.m_strEBookFile = book;
  info.m_strEBookId = "Startup 1";
  info.m_strTitle = "Startup";
  info.m_strStatusBefore = "Press Customize.";
  if (!stamping::StampRebrander(rebrander, folder + "/" + program, info, 0, error)) Die(error);
  return info.m_strTitle;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2) Die("usage: startup_bench [WINDOWS-BUILD-FOLDER]");
  bench::MapWatch watch;
  if (!watch.Open()) Die("no X display; run it under xvfb-run -a");
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  std::string folder = (std::filesystem::temp_directory_path() / "startup-bench-XXXXXX").string();
  if (!mkdtemp(folder.data())) Die("cannot make a scratch folder");
  g_folder = folder;

  std::string title = LayOut(SAMPLE_EBOOK, REBRANDER, folder, "book", "rebrander");
  std::printf(
      "| start to the mapped window, median of %d | rebrander | bare | ratio |"
      " its processor time: rebrander | bare |\n|---|---|---|---|---|---|\n",
      kRuns);
  Compare(watch, {{folder + "/rebrander"}, title}, {{BARE_DIALOG}, "Bare"},
          "Linux, bare Qt dialog");
  if (argc == 2) {
    const std::string windows = argv[1];
    title = LayOut(windows + "/tools/sample-ebook/sample-ebook.exe", windows + "/ui/rebrander.exe",
                   folder, "book.exe", "rebrander.exe");
    Compare(watch, {{"wine", folder + "/rebrander.exe"}, title},
            {{"wine", windows + "/bench/bare_wizard.exe"}, "Bare"}, "Wine, bare wizard");
  }
  std::filesystem::remove_all(folder);
  return 0;
}
