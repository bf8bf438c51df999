#include "ebook/ebook_file.h"

#include "formats/rebrand_info.h"

namespace ebook {

CEBookFile::CEBookFile() : m_strPath(formats::GetRebrandInfo().GetEBookPath()) {}

}  // namespace ebook
