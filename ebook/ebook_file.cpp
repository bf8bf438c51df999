#include "ebook/ebook_file.h"

#include "ebook/trailer_access.h"
#include "formats/rebrand_info.h"

namespace ebook {

using namespace platform;

CEBookFile::CEBookFile() : m_strPath(formats::GetRebrandInfo().GetEBookPath()) {}

bool CEBookFile::Exists() const {
  const HFILE file = _lopen(m_strPath, OF_SHARED_READ);
  if (file == HFILE_ERROR) return false;
  _lclose(file);
  return true;
}

bool CEBookFile::ReadIdentity(std::string& id, int32_t& version) const {
  const HFILE file = _lopen(m_strPath, OF_SHARED_READ);
  if (file == HFILE_ERROR) return false;
  formats::CEBookTrailer trailer;
  int32_t length = 0;
  const bool read = ReadEBookTrailer(file, trailer, length);
  _lclose(file);
  if (read) {
    id = trailer.GetId();
    version = trailer.m_nVersion;
  }
  return read;
}

}  // namespace ebook
