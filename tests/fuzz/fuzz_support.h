// What the fuzz targets share: a scratch folder with a rebrander stamped for
// an E-Book in it (set up before the first input), silence instead of message
// boxes, and a guard against allocations out of proportion to the input.
#pragma once

#include <cstddef>
#include <string>

namespace fuzzing {

// The E-Book beside the rebrander the process takes for itself, and other
// files in the scratch folder (under $TMPDIR, removed at exit).
std::string EBookPath();
std::string ScratchFile(const std::string& name);

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// A small sound E-Book for that rebrander.
std::string SampleEBook();

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
