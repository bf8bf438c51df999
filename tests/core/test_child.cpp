// The second process of the core tests. Each holding mode takes something,
// writes one byte to standard output once it holds it, and keeps it until
// killed (a minute at most). "store" stores a table, to be killed during it.
// With no arguments, as a started E-Book, it writes its command line to
// `<itself>.report` and stays until `<itself>.done` appears, then removes the
// report; "path" tells by its exit code whether it knows its own whole path.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "ebook/ebook_file.h"
#include "formats/variable_table.h"
#include "platform/file_io.h"
#include "platform/io_faults.h"
#include "platform/module_path.h"
#include "platform/user_interface.h"

namespace {

using namespace platform;
using namespace std::chrono_literals;

class SilentUi : public IUserInterface {
  void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
  void SetWaitCursor(bool) override {}
};

void SayReady() {
  std::fputc('r', stdout);
  std::fflush(stdout);
}

int HoldIfTaken(bool taken) {
  if (!taken) return 1;
  SayReady();
  std::this_thread::sleep_for(60s);
  return 0;
}

#ifndef _WIN32
// Holds the file through a mapping alone, its descriptor closed.
bool MapWithoutDescriptor(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY);
  void* mapped = fd < 0 ? MAP_FAILED : mmap(nullptr, 8, PROT_READ, MAP_SHARED, fd, 0);
  if (fd >= 0) close(fd);
  return mapped != MAP_FAILED;
}
#endif

int Report(const std::vector<std::string>& words) {
  const std::string self = GetModuleFileNameA();
  {
    std::ofstream report(self + ".partial", std::ios::binary);
    for (const std::string& word : words) report << word << '\n';
  }
  std::filesystem::rename(self + ".partial", self + ".report");
  for (int i = 0; i < 300 && !std::filesystem::exists(self + ".done"); ++i) {
    std::this_thread::sleep_for(100ms);
  }
  std::filesystem::remove(self + ".report");
  return 0;
}

// Stands at the rebrander's path and stores the table read from `tablePath`
// into its E-Book. Once well into the E-Book's table it says so and waits to
// be killed there.
int Store(const std::string& rebrander, const std::string& tablePath) {
  OverrideModuleFileName(rebrander);
  formats::CVariableTable table;
  const HFILE file = _lopen(tablePath, OF_SHARED_READ);
  if (file == HFILE_ERROR || !table.Read(file)) return 1;
  _lclose(file);
  // A record is several writes: this is a few thousand records in, with
  // thousands still to come, and well past what a handle gathers.
  int flushes = 0;
  long writes = 0;
  SetIoFaultHook([&](IoOperation operation) {
    flushes += operation == IoOperation::Flush;
    // The journal is written, flushed and its folder flushed before the E-Book.
    if (operation == IoOperation::Write && flushes == 2 && ++writes == 30000) {
      SayReady();
      for (;;) std::this_thread::sleep_for(1h);
    }
    return true;
  });
  SilentUi ui;
  SetUserInterface(&ui);
  return ebook::CEBookFile().StoreTable(table) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv, argv + argc);
  if (argc < 2) return Report(words);
  const std::string& mode = words[1];
  if (mode == "run") return HoldIfTaken(true);
  if (mode == "path") return GetModuleFileNameA() == words[0] ? 0 : 3;
  if (mode == "plain") return HoldIfTaken(std::fopen(words.at(2).c_str(), "rb") != nullptr);
  if (mode == "lopen") {
    return HoldIfTaken(_lopen(words.at(3), std::stoi(words.at(2))) != HFILE_ERROR);
  }
  if (mode == "store") return Store(words.at(2), words.at(3));
#ifndef _WIN32
  if (mode == "map") return HoldIfTaken(MapWithoutDescriptor(words.at(2)));
#endif
  std::fprintf(stderr, "test_child: unknown command\n");
  return 2;
}
