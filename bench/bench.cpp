// Prints how long loading and storing the variable table and the exclusive
// open take, beside the raw floor: one read, or one write and flush, of the
// same bytes. Best of ten runs each (of 40 where two E-Books are compared):
// on a shared machine the disk's flushes vary tenfold. Not a test.
//   cmake --build build --target bench
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_ebook.h"
#include "bench/process_crowd.h"
#include "bench/timing.h"
#include "ebook/ebook_file.h"
#include "platform/file_io.h"
#include "platform/posix/open_elsewhere.h"
#include "platform/user_interface.h"

namespace {

using namespace bench;

class Silent : public platform::IUserInterface {
  void ShowMessage(const std::string&, const std::string& text, platform::MessageIcon) override {
    std::fprintf(stderr, "bench: message: %s\n", text.c_str());
  }
  void SetWaitCursor(bool) override {}
};

std::string g_folder;
// Runs of each of two E-Books compared side by side.
constexpr int kTurns = 40;

std::string EBookPath() {
  return g_folder + "/book";
}

void Row(const std::string& work, double ms, const std::string& floor) {
  std::printf("| %-52s | %10.3f ms | %-44s |\n", work.c_str(), ms, floor.c_str());
}

std::string Floor(const char* what, double ms, double ratio) {
  char text[128];
  std::snprintf(text, sizeof text, "%s: %.3f ms (%.1fx)", what, ms, ratio);
  return text;
}

double ExclusiveOpen() {
  return BestOf([] {
    const platform::HFILE file = platform::_lopen(EBookPath(), platform::OF_EXCLUSIVE_READWRITE);
    if (file == platform::HFILE_ERROR) std::fprintf(stderr, "bench: exclusive open failed\n");
    platform::_lclose(file);
  });
}

// One read of the table's bytes from an open file.
double RawRead(int32_t offset, int32_t length) {
  const int fd = open(EBookPath().c_str(), O_RDONLY | O_CLOEXEC);
  std::vector<char> bytes(static_cast<size_t>(length));
  const double ms = BestOf([&] {
    if (pread(fd, bytes.data(), bytes.size(), offset) != length) std::perror("bench: read");
  });
  close(fd);
  return ms;
}

// One write and one flush of as many bytes to a file of their own, again and
// again over the same blocks.
class RawWriter {
 public:
  explicit RawWriter(int32_t length)
      : m_fd(open(Path().c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)),
        m_bytes(static_cast<size_t>(length), 'x') {}
  ~RawWriter() {
    close(m_fd);
    std::filesystem::remove(Path());
  }
  double Once() {
    return BestOf(
        [] {},
        [&] {
          if (pwrite(m_fd, m_bytes.data(), m_bytes.size(), 0) != ssize_t(m_bytes.size()) ||
              fsync(m_fd) != 0) {
            std::perror("bench: write");
          }
        },
        1);
  }

 private:
  static std::string Path() { return g_folder + "/raw"; }
  int m_fd;
  std::vector<char> m_bytes;
};

double Load(int runs = kRuns) {
  // The table read before is dropped untimed: freeing it is no part of loading.
  formats::CVariableTable table;
  return BestOf([&] { table = formats::CVariableTable(); },
                [&] {
                  if (!ebook::CEBookFile().LoadTable(table)) {
                    std::fprintf(stderr, "bench: load failed\n");
                  }
                },
                runs);
}

double Store(const formats::CVariableTable& table, int runs = kRuns) {
  return BestOf([] {},
                [&] {
                  if (!ebook::CEBookFile().StoreTable(table)) {
                    std::fprintf(stderr, "bench: store failed\n");
                  }
                },
                runs);
}

void TableRows(int variables, double openMs) {
  const formats::CVariableTable table = TableOf(variables);
  int32_t length = 0;
  const int32_t offset = WriteEBook(EBookPath(), 1 << 20, table, length);
  const std::string size =
      std::to_string(variables) + " variables (" + std::to_string(length / 1000) + " kB)";
  const double load = Load();
  const double read = RawRead(offset, length);
  Row("LoadTable, " + size, load, Floor("one read", read, (load - openMs) / read));
  // Flushes wait on a disk that others share: the two take turns.
  double store = 1e300, write = 1e300;
  RawWriter raw(length);
  for (int run = 0; run < kRuns; ++run) {
    store = std::min(store, Store(table, 1));
    write = std::min(write, raw.Once());
  }
  Row("StoreTable, " + size, store, Floor("one write and flush", write, (store - openMs) / write));
}

// The two E-Books take turns, run by run, under the name the rebrander opens,
// so that a change in the machine's load falls on both alike.
void ProgramSizeRows() {
  const formats::CVariableTable table = TableOf(10000);
  const int32_t programs[2] = {1 << 20, 1 << 30};
  std::string paths[2];
  for (int i = 0; i < 2; ++i) {
    paths[i] = EBookPath() + "-" + std::to_string(programs[i]);
    int32_t length = 0;
    WriteEBook(paths[i], programs[i], table, length);
  }
  double load[2] = {1e300, 1e300}, store[2] = {1e300, 1e300};
  for (int turn = 0; turn < 2 * kTurns; ++turn) {
    const int i = turn % 2;
    std::filesystem::rename(paths[i], EBookPath());
    load[i] = std::min(load[i], Load(1));
    store[i] = std::min(store[i], Store(table, 1));
    std::filesystem::rename(EBookPath(), paths[i]);
  }
  for (const std::string& path : paths) std::filesystem::remove(path);
  char ratio[64];
  std::snprintf(ratio, sizeof ratio, "behind 1 MiB: %.3f ms (%.2fx)", load[0], load[1] / load[0]);
  Row("LoadTable, 10,000 variables behind a 1 GiB program", load[1], ratio);
  std::snprintf(ratio, sizeof ratio, "behind 1 MiB: %.3f ms (%.2fx)", store[0],
                store[1] / store[0]);
  Row("StoreTable, 10,000 variables behind a 1 GiB program", store[1], ratio);
}

}  // namespace

int main() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "rebrander-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return 1;
  g_folder = pattern;
  Silent silent;
  platform::SetUserInterface(&silent);
  StampRebranderIn(g_folder);

  std::printf("| %-52s | %13s | %-44s |\n", "Work (best of 10)", "Time",
              "Raw floor (ratio net of one exclusive open)");
  std::printf("|%s|%s|%s|\n", std::string(54, '-').c_str(), std::string(15, '-').c_str(),
              std::string(46, '-').c_str());
  int32_t length = 0;
  WriteEBook(EBookPath(), 1 << 20, TableOf(10), length);
  const double openMs = ExclusiveOpen();
  for (int variables : {10000, 100000}) TableRows(variables, openMs);
  ProgramSizeRows();
  Row("one exclusive open (mode 18), few processes", openMs, "");
  {
    WriteEBook(EBookPath(), 1 << 20, TableOf(10), length);
    const ProcessCrowd crowd(500, 40);
    const std::string many = std::to_string(crowd.Size()) + " processes x 40 descriptors";
    Row("one exclusive open, " + many, ExclusiveOpen(), "");
    struct stat st;
    stat(EBookPath().c_str(), &st);
    Row("the fallback scan alone, " + many,
        BestOf([&] { platform::posix::FoundByScan(st.st_dev, st.st_ino); }), "");
  }
  std::filesystem::remove_all(g_folder);
  return 0;
}
