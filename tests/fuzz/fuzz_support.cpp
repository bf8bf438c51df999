#include "tests/fuzz/fuzz_support.h"

#include <sanitizer/allocator_interface.h>
#include <stdlib.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "formats/rebrand_info.h"
#include "platform/module_path.h"
#include "platform/user_interface.h"
#include "tools/mkrebrander/stamp.h"

namespace fuzzing {
namespace {

std::string g_folder;
std::atomic<size_t> g_allocationLimit{0};

struct SilentUserInterface : platform::IUserInterface {
  void ShowMessage(const std::string&, const std::string&, platform::MessageIcon) override {}
  void SetWaitCursor(bool) override {}
};

}  // namespace

// Every target starts here, before its first input.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string pattern = (std::filesystem::temp_directory_path() / "rebrander-fuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) Fail("cannot make a scratch folder");
  g_folder = pattern;
  std::atexit([] { std::filesystem::remove_all(g_folder); });
  static SilentUserInterface silent;
  platform::SetUserInterface(&silent);
  __sanitizer_install_malloc_and_free_hooks(
      [](const volatile void*, size_t size) {
        if (g_allocationLimit != 0 && size > g_allocationLimit) Fail("an outsized allocation");
      },
      [](const volatile void*) {});
  WriteFile(ScratchFile("bare"), "\177ELF bare rebrander");
  formats::CInfoBlock info;
  info.m_strEBookFile = "book";
  info.m_strEBookId = "Fuzzed-Book";  // as in the seed corpora
  std::string error;
  if (!stamping::StampRebrander(ScratchFile("bare"), ScratchFile("rebrander"), info, 3, error))
    Fail("cannot stamp the rebrander");
  platform::OverrideModuleFileName(ScratchFile("rebrander"));
  if (formats::GetRebrandInfo().HasError()) Fail("the stamped rebrander does not load");
  return 0;
}

std::string ScratchFile(const std::string& name) {
  return g_folder + "/" + name;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  if (!(std::ofstream(path, std::ios::binary) << bytes)) Fail("cannot write a scratch file");
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
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
