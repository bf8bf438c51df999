// Storing a table loaded from an E-Book made of the input, as loaded or
// edited: the store must succeed, leave no journal and the trailer as it was,
// and load back the table it was given.
#include "ebook/ebook_file.h"
#include "ebook/store_journal.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// The edits a user can make: none, mark it rebranded, every value longer,
// every value empty.
void Edit(formats::CVariableTable& table, uint8_t how) {
  switch (how % 4) {
    case 1:
      table.m_bRebranded = 1;
      break;
    case 2:
      for (int i = 0; i < table.GetSize(); ++i) table[i].m_strValue += table[i].m_strValue + "+";
      break;
    case 3:
      for (int i = 0; i < table.GetSize(); ++i) table[i].m_strValue.clear();
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::SetUp();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  fuzzing::WriteFile(fuzzing::EBookPath(), std::string(reinterpret_cast<const char*>(data), size));
  fuzzing::AllocationGuard guard(size);
  const ebook::CEBookFile ebook;
  formats::CVariableTable table;
  if (!ebook.LoadTable(table)) return 0;
  const bool valid = ebook.Validate();
  Edit(table, data[0]);  // the program's first byte: mutating it keeps the E-Book loadable
  if (!ebook.StoreTable(table)) fuzzing::Fail("a loaded table could not be stored");
  if (fuzzing::FileExists(ebook::JournalPathFor(fuzzing::EBookPath()))) {
    fuzzing::Fail("the store left its journal");
  }
  formats::CVariableTable again;
  if (ebook.Validate() != valid || !ebook.LoadTable(again) || !fuzzing::SameTable(table, again)) {
    fuzzing::Fail("the stored table loads back differently");
  }
  return 0;
}
