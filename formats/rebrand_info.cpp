#include "formats/rebrand_info.h"

#include <memory>

#include "formats/pe_signature.h"
#include "platform/file_io.h"
#include "platform/module_path.h"

namespace formats {

using namespace platform;

CRebrandInfo::CRebrandInfo(const Path& executablePath) {
  Load(executablePath);
}

void CRebrandInfo::Load(const Path& executablePath) {
  m_strError.clear();
  const HFILE file = _lopen(executablePath, OF_SHARED_READ);
  if (file == HFILE_ERROR) {
    m_strError = kCantOpen + TextFromPath(executablePath);
    return;
  }
  CFieldStream stream(CFieldStream::kRead, file);
  // A signed rebrander carries its certificate table after the stamp.
  const int32_t fileLength = _llseek(file, 0, FILE_END);
  const int32_t length = fileLength < 0 ? fileLength : StampEnd(file, fileLength);
  bool ok = length >= CInfoTrailer::kSize &&
            _llseek(file, length - CInfoTrailer::kSize, FILE_BEGIN) >= 0 &&
            m_trailer.Transfer(stream);
  ok = ok && _llseek(file, m_trailer.m_nInfoOffset, FILE_BEGIN) >= 0 && m_info.Transfer(stream);
  if (!ok) m_strError = kErrorReadingRebrander;
  _lclose(file);
}

Path CRebrandInfo::GetModuleFolder() const {
  Path path = ModuleFileName();
  const auto slash = LastSeparator(path);
  if (slash != Path::npos) path.erase(slash + 1);
  return path;
}

namespace {
std::unique_ptr<CRebrandInfo>& Instance() {
  static std::unique_ptr<CRebrandInfo> info;
  return info;
}
}  // namespace

CRebrandInfo& GetRebrandInfo() {
  if (!Instance()) Instance() = std::make_unique<CRebrandInfo>(ModuleFileName());
  return *Instance();
}

void ResetRebrandInfoForTesting() {
  Instance().reset();
}

}  // namespace formats
