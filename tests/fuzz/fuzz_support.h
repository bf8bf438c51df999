// What the fuzz targets share: a scratch folder with a rebrander stamped for
// an E-Book in it, sample files to start from, silence instead of message
// boxes, and a guard against allocations out of proportion to the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/variable_table.h"

namespace fuzzing {

inline constexpr char kEBookId[] = "Fuzzed-Book";
inline constexpr int32_t kVersion = 3;

// Makes the scratch folder (under $TMPDIR, removed at exit), stamps the
// rebrander that the process then takes for itself, and silences messages.
void SetUp();
// The E-Book beside that rebrander.
std::string EBookPath();
// Another file in the scratch folder.
std::string ScratchFile(const std::string& name);

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// A small E-Book for this rebrander: a program, `table` and the trailer.
std::string SampleEBook(const formats::CVariableTable& table);
formats::CVariableTable SampleTable();
bool SameTable(const formats::CVariableTable& a, const formats::CVariableTable& b);

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
  AllocationGuard& operator=(const AllocationGuard&) = delete;
};

}  // namespace fuzzing
