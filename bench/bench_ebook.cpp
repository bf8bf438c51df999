#include "bench/bench_ebook.h"

#include <cstdio>
#include <cstdlib>

#include "formats/ebook_trailer.h"
#include "formats/rebrand_info.h"
#include "platform/file_io.h"
#include "platform/module_path.h"
#include "tools/mkrebrander/stamp.h"

namespace bench {
namespace {

using namespace platform;

constexpr char kEBookId[] = "Bench Book";
constexpr int32_t kVersion = 1;

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "bench: %s\n", what.c_str());
  std::exit(1);
}

}  // namespace

formats::CVariableTable TableOf(int variables) {
  formats::CVariableTable table;
  for (int i = 0; i < variables; ++i) {
    const std::string n = std::to_string(i);
    formats::CVariable variable;
    variable.m_strIdent = "VARIABLE_" + n;
    variable.m_strPrompt = "Please enter the text of item " + n;
    variable.m_strValue = "The value of item " + n;
    variable.m_bEditable = 1;
    variable.m_nType = i % 4;
    table.Add(variable);
  }
  return table;
}

void StampRebranderIn(const std::string& folder) {
  const std::string bare = folder + "/bare";
  const HFILE file = _lcreat(bare);
  if (file == HFILE_ERROR || _lwrite(file, "\177ELF", 4) != 4) Die("cannot write " + bare);
  _lclose(file);
  formats::CInfoBlock info;
  info.m_strEBookFile = "book";
  info.m_strEBookId = kEBookId;
  std::string error;
  if (!stamping::StampRebrander(bare, folder + "/rebrander", info, kVersion, error)) Die(error);
  OverrideModuleFileName(folder + "/rebrander");
  formats::ResetRebrandInfoForTesting();
  if (formats::GetRebrandInfo().HasError()) Die("the stamped rebrander does not load");
}

int32_t WriteEBook(const std::string& path, int32_t programLength,
                   const formats::CVariableTable& table, int32_t& tableLength) {
  const HFILE file = _lcreat(path, 0755);
  if (file == HFILE_ERROR || !SetFileLength(file, programLength) ||
      _llseek(file, programLength, FILE_BEGIN) != programLength || !table.Write(file)) {
    Die("cannot write " + path);
  }
  tableLength = _llseek(file, 0, FILE_CURRENT) - programLength;
  formats::CEBookTrailer trailer;
  trailer.SetId(kEBookId);
  trailer.m_nVersion = kVersion;
  trailer.m_nTableOffset = programLength;
  formats::CFieldStream stream(formats::CFieldStream::kWrite, file);
  if (!trailer.Transfer(stream) || _lclose(file) != 0) Die("cannot write " + path);
  return programLength;
}

}  // namespace bench
