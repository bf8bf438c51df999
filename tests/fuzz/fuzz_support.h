// What the fuzz targets share: a scratch folder with a rebrander stamped for
// an E-Book in it (set up before the first input), silence instead of message
// boxes, and a guard against allocations out of proportion to the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzing {

// A file in the scratch folder (under $TMPDIR, removed at exit). The E-Book
// there is beside the rebrander the process takes for itself.
std::string ScratchFile(const std::string& name);
inline std::string EBookPath() {
  return ScratchFile("book");
}

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// Ends the run as a crash, so that libFuzzer keeps the input.
[[noreturn]] void Fail(const char* what);

// While it lives, any single allocation larger than 64 KiB plus 16 times the
// input fails the run: only a length or count taken from the input unchecked
// asks for that much. (In memory a table may take several times its file
// size; a hostile length asks for gigabytes.)
class AllocationGuard {
 public:
  explicit AllocationGuard(size_t inputSize);
  ~AllocationGuard();
  AllocationGuard(const AllocationGuard&) = delete;
};

}  // namespace fuzzing
