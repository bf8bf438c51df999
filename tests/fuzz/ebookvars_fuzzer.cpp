// The E-Book library against the rebrander's own table load on an E-Book made
// of the input: never a crash or an outsized allocation, and both read the
// same variables or both refuse.
#include <string>
#include <tuple>
#include <vector>

#include "ebook/ebook_file.h"
#include "tests/fuzz/fuzz_support.h"
#include "tools/ebookvars/ebookvars.h"

namespace {

// Whether it was rebranded, then every variable.
using Variables =
    std::pair<bool, std::vector<std::tuple<std::string, std::string, std::string, bool, int32_t>>>;

bool ByLibrary(const std::string& path, Variables& variables) {
  ebv_book* book = nullptr;
  if (ebv_open(path.c_str(), &book) != EBV_OK) {
    if (book) fuzzing::Fail("a refused book was handed out");
    return false;
  }
  variables.first = ebv_rebranded(book) != 0;
  for (size_t i = 0; i < ebv_count(book); ++i) {
    const ebv_variable* v = ebv_variable_at(book, i);
    if (v->ident[v->ident_length] || v->prompt[v->prompt_length] || v->value[v->value_length])
      fuzzing::Fail("a text has no zero byte after it");
    variables.second.emplace_back(
        std::string(v->ident, v->ident_length), std::string(v->prompt, v->prompt_length),
        std::string(v->value, v->value_length), v->editable != 0, v->type);
  }
  ebv_close(book);
  return true;
}

bool ByRebrander(Variables& variables) {
  formats::CVariableTable table;
  if (!ebook::CEBookFile().LoadTable(table)) return false;
  variables.first = table.m_bRebranded != 0;
  for (int i = 0; i < table.GetSize(); ++i) {
    const formats::CVariable& v = table[i];
    variables.second.emplace_back(v.m_strIdent, v.m_strPrompt, v.m_strValue, v.m_bEditable != 0,
                                  v.m_nType);
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzzing::ScratchFile("book");
  fuzzing::WriteFile(path, std::string(reinterpret_cast<const char*>(data), size));
  fuzzing::AllocationGuard guard(size);
  Variables libraryRead, rebranderRead;
  const bool libraryOk = ByLibrary(path, libraryRead);
  if (libraryOk != ByRebrander(rebranderRead))
    fuzzing::Fail("one reader refused what the other read");
  if (libraryRead != rebranderRead) fuzzing::Fail("the two readers read different tables");
  return 0;
}
