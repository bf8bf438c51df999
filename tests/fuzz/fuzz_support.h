// What the fuzz targets share: a scratch folder with a rebrander stamped for
// an E-Book in it (set up before the first input), silence instead of message
// boxes, and a guard against allocations out of proportion to the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace fuzzing {

// A file in the scratch folder (under $TMPDIR, removed at exit). The E-Book
// ("book") there is beside the rebrander the process takes for itself.
std::string ScratchFile(const std::string& name);
inline bool FileExists(const std::string& path) {
  return std::filesystem::exists(std::filesystem::symlink_status(path));
}
// Ends the run as a crash, so that libFuzzer keeps the input.
[[noreturn]] void Fail(const char* what);
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// While it lives, any single allocation larger than 64 KiB plus 16 times the
// input fails the run: only a length or count taken from the input unchecked
// asks for that much. (In memory a table may take several times its file
// size; a hostile length asks for gigabytes.)
struct AllocationGuard {
  explicit AllocationGuard(size_t inputSize);
  ~AllocationGuard();
};

}  // namespace fuzzing
