// Storing a table loaded from an E-Book made of the input, as loaded and
// after each edit: every store must succeed, leave no journal and the checks'
// verdict as it was, and load back the table it was given.
#include <tuple>
#include <vector>

#include "ebook/ebook_file.h"
#include "ebook/store_journal.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

auto Fields(const formats::CVariableTable& table) {
  std::vector<std::tuple<std::string, std::string, std::string, int32_t, int32_t>> fields;
  for (int i = 0; i < table.GetSize(); ++i) {
    const formats::CVariable& v = table[i];
    fields.emplace_back(v.m_strIdent, v.m_strPrompt, v.m_strValue, v.m_bEditable, v.m_nType);
  }
  return std::make_pair(table.m_bRebranded, fields);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  fuzzing::WriteFile(fuzzing::ScratchFile("book"),
                     std::string(reinterpret_cast<const char*>(data), size));
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
    if (fuzzing::FileExists(ebook::JournalPathFor(fuzzing::ScratchFile("book"))))
      fuzzing::Fail("the store left its journal");
    formats::CVariableTable again;
    if (ebook.Validate() != valid || !ebook.LoadTable(again) || Fields(table) != Fields(again))
      fuzzing::Fail("the stored table loads back differently");
  }
  return 0;
}
