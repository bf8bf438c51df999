// The second process of the core tests. Each holding mode takes something,
// writes one byte to standard output once it holds it, and keeps it until
// killed (a minute at most). Started without arguments, as LaunchEBook starts
// a program, it reports the arguments it got and its own path, and stays until
// told it is done.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "platform/file_io.h"
#include "platform/module_path.h"

namespace {

using namespace platform;

int HoldIfTaken(bool taken) {
  if (!taken) return 1;
  std::fputc('r', stdout);
  std::fflush(stdout);
  std::this_thread::sleep_for(std::chrono::seconds(60));
  return 0;
}

// Writes every argument, then the program's path as it knows it, one a line,
// to `<program>.report`; ends once
// `<program>.done` is there (a minute at most) and removes its report.
int ReportArguments(const std::vector<std::string>& words) {
  std::string lines;
  for (const std::string& word : words) lines += word + "\n";
  lines += TextFromPath(ModuleFileName()) + "\n";
  const std::string report = words[0] + ".report", done = words[0] + ".done";
  if (!(std::ofstream(report + ".new", std::ios::binary) << lines)) return 1;
  std::rename((report + ".new").c_str(), report.c_str());
  for (int i = 0; i < 6000 && !std::ifstream(done); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::remove(report.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv, argv + argc);
  if (argc < 2) return ReportArguments(words);
  const std::string mode = words[1];
  if (mode == "run") return HoldIfTaken(true);
  if (mode == "plain") return HoldIfTaken(std::fopen(words.at(2).c_str(), "rb") != nullptr);
  if (mode == "lopen")
    return HoldIfTaken(_lopen(PathFromText(words.at(3)), std::stoi(words.at(2))) != HFILE_ERROR);
#ifndef _WIN32
  if (mode == "map") {  // held through a mapping alone, its descriptor closed
    const int fd = open(words.at(2).c_str(), O_RDONLY);
    void* mapped = fd < 0 ? MAP_FAILED : mmap(nullptr, 8, PROT_READ, MAP_SHARED, fd, 0);
    if (fd >= 0) close(fd);
    return HoldIfTaken(mapped != MAP_FAILED);
  }
#endif
  return 2;
}
