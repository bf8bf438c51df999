#include "tools/mkebook/package_checks.h"

#include <algorithm>
#include <set>

#include "formats/field_stream.h"
#include "formats/pe_signature.h"
#include "platform/path.h"
#include "tools/common/kit_messages.h"
#include "tools/common/tool_files.h"
#include "tools/mkebook/mkebook_messages.h"

namespace packing {
namespace {

using formats::CVariable;

// A trailer cut anywhere leaves its start this close to the end.
constexpr int32_t kTailSearched = 4096;

std::string Named(const CVariable& variable, int index) {
  return variable.m_strIdent.empty() ? mkebook_messages::VariableAt(static_cast<size_t>(index))
                                     : kit_messages::VariableNamed(variable.m_strIdent);
}

}  // namespace

PackageFindings CheckPackage(const EBookPackage& package) {
  PackageFindings found;
  const formats::CVariableTable& table = package.table;
  if (package.trailer.m_nVersion < 0) {
    found.refusals.push_back(mkebook_messages::NegativeVersion(package.trailer.m_nVersion));
  }
  if (table.m_bRebranded != 0 && table.m_bRebranded != 1) {
    found.refusals.push_back(mkebook_messages::RebrandedNotFlag(table.m_bRebranded));
  }
  std::set<std::string> idents;
  bool editable = false;
  for (int i = 0; i < table.GetSize(); ++i) {
    const CVariable& variable = table[i];
    const std::string name = Named(variable, i);
    if (variable.m_strIdent.empty()) found.refusals.push_back(name + mkebook_messages::kEmptyIdent);
    if (!variable.m_strIdent.empty() && !idents.insert(variable.m_strIdent).second) {
      found.refusals.push_back(name + mkebook_messages::kGivenTwice);
    }
    if (variable.m_bEditable != 0 && variable.m_bEditable != 1) {
      found.refusals.push_back(name + mkebook_messages::EditableNotFlag(variable.m_bEditable));
    }
    if (variable.m_nType < 0 || variable.m_nType > 3) {
      found.warnings.push_back(name + mkebook_messages::TypeOnNoPage(variable.m_nType));
    } else if (variable.m_bEditable == 1) {
      editable = true;
    }
  }
  if (!editable) found.warnings.push_back(mkebook_messages::kNothingEditable);
  return found;
}

bool LooksLikeDamagedEBook(platform::HFILE file) {
  using namespace platform;
  const int32_t length = _llseek(file, 0, FILE_END);
  const int32_t from = std::max(0, length - kTailSearched);
  if (length < 0 || _llseek(file, from, FILE_BEGIN) != from) return false;
  std::string tail(static_cast<size_t>(length - from), '\0');
  if (_lread(file, tail.data(), static_cast<uint32_t>(tail.size())) !=
      static_cast<int32_t>(tail.size())) {
    return false;
  }
  const uint32_t stored =
      static_cast<uint32_t>(formats::CEBookTrailer::kStartMarker) ^ formats::kIntMask;
  std::string marker;
  for (int i = 0; i < 4; ++i) marker += static_cast<char>(stored >> (8 * i) & 0xFF);
  return tail.find(marker) != std::string::npos;
}

bool IsSignedProgram(const std::string& path) {
  using namespace platform;
  tool_files::ScopedFile in(_lopen(PathFromUtf8(path), OF_SHARED_READ));
  if (in.file == HFILE_ERROR) return false;
  formats::CCertificateTable table;
  return formats::FindTrailingCertificateTable(in.file, _llseek(in.file, 0, FILE_END), table);
}

}  // namespace packing
