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

constexpr char kEBookId[] = "Fuzzed-Book";  // as in the seed corpora
constexpr int32_t kVersion = 3;

std::string g_folder;
std::atomic<size_t> g_allocationLimit{0};

class SilentUserInterface : public platform::IUserInterface {
 public:
  void ShowMessage(const std::string&, const std::string&, platform::MessageIcon) override {}
  void SetWaitCursor(bool) override {}
};

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
  std::filesystem::remove_all(g_folder, ignored);
}

}  // namespace

// Every target starts here, before its first input.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string pattern = (std::filesystem::temp_directory_path() / "rebrander-fuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) Fail("cannot make a scratch folder");
  g_folder = pattern;
  std::atexit(RemoveFolder);
  static SilentUserInterface silent;
  platform::SetUserInterface(&silent);
  __sanitizer_install_malloc_and_free_hooks(CheckAllocation, IgnoreFree);

  WriteFile(ScratchFile("bare"), "\177ELF bare rebrander");
  formats::CInfoBlock info;
  info.m_strEBookFile = "book";
  info.m_strEBookId = kEBookId;
  std::string error;
  if (!stamping::StampRebrander(ScratchFile("bare"), ScratchFile("rebrander"), info, kVersion,
                                error)) {
    Fail("cannot stamp the rebrander");
  }
  platform::OverrideModuleFileName(ScratchFile("rebrander"));
  if (formats::GetRebrandInfo().HasError()) Fail("the stamped rebrander does not load");
  return 0;
}

std::string EBookPath() {
  return ScratchFile("book");
}

std::string ScratchFile(const std::string& name) {
  return g_folder + "/" + name;
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

std::string SampleEBook() {
  packing::EBookPackage package;
  package.trailer.SetId(kEBookId);
  package.trailer.m_nVersion = kVersion;
  for (const char* value : {"A Book", "For you\r\nand me"}) {
    formats::CVariable variable;
    variable.m_strIdent = "V";
    variable.m_strValue = value;
    package.table.Add(variable);
  }
  WriteFile(ScratchFile("program"), "\177ELF program of the book");
  std::string error;
  if (!packing::PackEBook(ScratchFile("program"), package, ScratchFile("packed"), error)) {
    Fail("cannot pack an E-Book");
  }
  return ReadFile(ScratchFile("packed"));
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
