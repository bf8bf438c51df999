// The checks and the table load on an E-Book made of the input: never a
// crash, an outsized allocation, or a change to the file.
#include "ebook/ebook_file.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  fuzzing::WriteFile(fuzzing::ScratchFile("book"), input);
  {
    fuzzing::AllocationGuard guard(size);
    const ebook::CEBookFile ebook;
    ebook.Validate();
    formats::CVariableTable table;
    ebook.LoadTable(table);
  }
  if (fuzzing::ReadFile(fuzzing::ScratchFile("book")) != input)
    fuzzing::Fail("reading changed the E-Book");
  return 0;
}
