// The second process of the core tests. Each holding mode takes something,
// writes one byte to standard output once it holds it, and keeps it until
// killed (a minute at most). "store" stores a table, to be killed during it.
// With no arguments, as a started E-Book, it reports how it was started to
// `<itself>.report` and stays until `<itself>.done` appears; "path" tells by
// its exit code whether it knows its own whole path.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ebook/ebook_file.h"
#include "formats/variable_table.h"
#include "platform/file_io.h"
#include "platform/io_faults.h"
#include "platform/module_path.h"
#include "platform/user_interface.h"
#include "tests/core/child_modes.h"
#include "tests/core/other_process.h"

namespace {

using namespace platform;
using namespace std::chrono_literals;

class SilentUi : public IUserInterface {
  void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
  void SetWaitCursor(bool) override {}
};

int HoldIfTaken(bool taken) {
  if (!taken) return 1;
  std::fputc('r', stdout);
  std::fflush(stdout);
  std::this_thread::sleep_for(60s);
  return 0;
}

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
  return 0;
}

// store REBRANDER TABLE: stands at the rebrander's path and stores the table
// read from TABLE into its E-Book. Once well into the E-Book's table it writes
// its byte and waits to be killed there.
int Store(const std::vector<std::string>& args) {
  OverrideModuleFileName(args[0]);
  formats::CVariableTable table;
  const HFILE file = _lopen(args[1], OF_SHARED_READ);
  if (file == HFILE_ERROR || !table.Read(file)) return 1;
  _lclose(file);
  // A record is several writes: this is a few thousand records in, with
  // thousands still to come, and well past what a handle gathers.
  constexpr long kWritesBeforeKill = 30000;
  int flushes = 0;
  long writes = 0;
  SetIoFaultHook([&](IoOperation operation) {
    flushes += operation == IoOperation::Flush;
    // The journal is written, flushed and its folder flushed before the E-Book.
    if (operation == IoOperation::Write && flushes == 2 && ++writes == kWritesBeforeKill) {
      std::fputc('r', stdout);
      std::fflush(stdout);
      for (;;) std::this_thread::sleep_for(1h);
    }
    return true;
  });
  SilentUi ui;
  SetUserInterface(&ui);
  const bool stored = ebook::CEBookFile().StoreTable(table);
  SetUserInterface(nullptr);
  return stored ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv, argv + argc);
  if (argc < 2) return Report(words);
  const std::string& mode = words[1];
  const std::vector<std::string> args(words.begin() + 2, words.end());
  if (mode == "run") return HoldIfTaken(true);
  if (mode == "path") return GetModuleFileNameA() == words[0] ? 0 : 3;
  if (mode == "plain" && args.size() == 1) {
    return HoldIfTaken(std::fopen(args[0].c_str(), "rb") != nullptr);
  }
  if (mode == "lopen" && args.size() == 2) {
    return HoldIfTaken(_lopen(args[1], std::stoi(args[0])) != HFILE_ERROR);
  }
  if (mode == "store" && args.size() == 2) return Store(args);
  const int result = SystemMode(mode, args, HoldIfTaken);
  if (result == kUnknownMode) std::fprintf(stderr, "test_child: unknown command\n");
  return result;
}
