#include "tests/fuzz/fuzz_support.h"

#include <sanitizer/allocator_interface.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "formats/rebrand_info.h"
#include "platform/module_path.h"
#include "platform/user_interface.h"
#include "tools/mkebook/ebook_package.h"
#include "tools/mkrebrander/stamp.h"

namespace fuzzing {
namespace {

std::string& Folder() {
  static std::string folder;
  return folder;
}

class SilentUserInterface : public platform::IUserInterface {
 public:
  void ShowMessage(const std::string&, const std::string&, platform::MessageIcon) override {}
  void SetWaitCursor(bool) override {}
};

std::atomic<size_t> g_allocationLimit{0};

void CheckAllocation(const volatile void*, size_t size) {
  const size_t limit = g_allocationLimit.load(std::memory_order_relaxed);
  if (limit != 0 && size > limit) {
    g_allocationLimit = 0;
    std::fprintf(stderr, "==fuzz== allocation of %zu bytes, more than the %zu allowed\n", size,
                 limit);
    std::abort();
  }
}

void IgnoreFree(const volatile void*) {}

void RemoveFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(Folder(), ignored);
}

}  // namespace

void SetUp() {
  if (!Folder().empty()) return;
  std::string pattern = (std::filesystem::temp_directory_path() / "rebrander-fuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) Fail("cannot make a scratch folder");
  Folder() = pattern;
  std::atexit(RemoveFolder);

  static SilentUserInterface silent;
  platform::SetUserInterface(&silent);
  __sanitizer_install_malloc_and_free_hooks(CheckAllocation, IgnoreFree);

  WriteFile(ScratchFile("bare"),
            "\x7f"
            "ELF bare rebrander");
  formats::CInfoBlock info;
  info.m_strEBookFile = "book";
  info.m_strEBookId = kEBookId;
  info.m_strTitle = "Fuzzed Book";
  std::string error;
  if (!stamping::StampRebrander(ScratchFile("bare"), ScratchFile("rebrander"), info, kVersion,
                                error)) {
    Fail("cannot stamp the rebrander");
  }
  platform::OverrideModuleFileName(ScratchFile("rebrander"));
  if (formats::GetRebrandInfo().HasError()) Fail("the stamped rebrander does not load");
}

std::string EBookPath() {
  return ScratchFile("book");
}

std::string ScratchFile(const std::string& name) {
  return Folder() + "/" + name;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.good()) Fail("cannot write a scratch file");
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool FileExists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

formats::CVariableTable SampleTable() {
  formats::CVariableTable table;
  const char* const rows[][3] = {{"TITLE", "Title:", "A Book"},
                                 {"NOTE", "Dedication:", "For you\r\nand me"},
                                 {"BUILD", "", "fixed"}};
  int type = 0;
  for (const auto& row : rows) {
    formats::CVariable variable;
    variable.m_strIdent = row[0];
    variable.m_strPrompt = row[1];
    variable.m_strValue = row[2];
    variable.m_bEditable = type < 4;
    variable.m_nType = type;
    type += 2;
    table.Add(variable);
  }
  return table;
}

std::string SampleEBook(const formats::CVariableTable& table) {
  WriteFile(ScratchFile("program"),
            "\x7f"
            "ELF program of the book");
  packing::EBookPackage package;
  package.trailer.SetId(kEBookId);
  package.trailer.m_nVersion = kVersion;
  package.table = table;
  std::string error;
  if (!packing::PackEBook(ScratchFile("program"), package, ScratchFile("packed"), error)) {
    Fail("cannot pack an E-Book");
  }
  return ReadFile(ScratchFile("packed"));
}

bool SameTable(const formats::CVariableTable& a, const formats::CVariableTable& b) {
  if (a.GetSize() != b.GetSize() || a.m_bRebranded != b.m_bRebranded) return false;
  for (int i = 0; i < a.GetSize(); ++i) {
    const formats::CVariable& x = a[i];
    const formats::CVariable& y = b[i];
    if (x.m_strIdent != y.m_strIdent || x.m_strPrompt != y.m_strPrompt ||
        x.m_strValue != y.m_strValue || x.m_bEditable != y.m_bEditable || x.m_nType != y.m_nType) {
      return false;
    }
  }
  return true;
}

void Fail(const char* what) {
  g_allocationLimit = 0;
  std::fprintf(stderr, "==fuzz== %s\n", what);
  std::abort();
}

AllocationGuard::AllocationGuard(size_t inputSize) {
  g_allocationLimit = (size_t{64} << 10) + 16 * inputSize;
}

AllocationGuard::~AllocationGuard() {
  g_allocationLimit = 0;
}

}  // namespace fuzzing
