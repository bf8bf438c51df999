#include "tools/sample-ebook/book_source.h"

namespace sample_ebook {

using namespace platform;

CBookSource::CBookSource(const platform::Path& path) : m_strPath(path) {
  m_hFile = _lopen(path, OF_SHARED_READ);
  if (m_hFile == HFILE_ERROR) return;
  switch (packing::ReadPackage(m_hFile, m_package)) {
    case packing::PackageStatus::kOk:
      m_nStatus = kOk;
      return;
    case packing::PackageStatus::kNoTrailer:
      m_nStatus = kNoTrailer;
      break;
    case packing::PackageStatus::kBadTable:
      m_nStatus = kBadTable;
      break;
  }
  // Nothing half-read is shown.
  m_package = packing::EBookPackage();
}

CBookSource::~CBookSource() {
  if (m_hFile != HFILE_ERROR) _lclose(m_hFile);
}

const formats::CVariable* CBookSource::Find(const std::string& ident) const {
  const formats::CVariableTable& table = m_package.table;
  for (int i = 0; i < table.GetSize(); ++i) {
    if (table[i].m_strIdent == ident) return &table[i];
  }
  return nullptr;
}

}  // namespace sample_ebook
