// Storing a table loaded from an E-Book made of the input, as loaded and
// after each edit: every store must succeed, leave no journal and the checks'
// verdict as it was, and load back the table it was given.
#include "ebook/ebook_file.h"
#include "ebook/store_journal.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  fuzzing::WriteFile(fuzzing::EBookPath(), std::string(reinterpret_cast<const char*>(data), size));
  fuzzing::AllocationGuard guard(size);
  const ebook::CEBookFile ebook;
  formats::CVariableTable table;
  if (!ebook.LoadTable(table)) return 0;
  const bool valid = ebook.Validate();
  // Each edit a user can make in turn: none, mark it rebranded, every value
  // longer, every value empty.
  for (int edit = 0; edit < 4; ++edit) {
    for (int i = 0; i < table.GetSize(); ++i) {
      if (edit == 2) table[i].m_strValue += table[i].m_strValue + "+";
      if (edit == 3) table[i].m_strValue.clear();
    }
    table.m_bRebranded |= edit == 1;
    if (!ebook.StoreTable(table)) fuzzing::Fail("a loaded table could not be stored");
    if (fuzzing::FileExists(ebook::JournalPathFor(fuzzing::EBookPath()))) {
      fuzzing::Fail("the store left its journal");
    }
    formats::CVariableTable again;
    if (ebook.Validate() != valid || !ebook.LoadTable(again) || !SameTable(table, again)) {
      fuzzing::Fail("the stored table loads back differently");
    }
  }
  return 0;
}
