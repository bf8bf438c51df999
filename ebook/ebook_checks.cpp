// The checks every action runs before it touches the E-Book.
#include "ebook/ebook_file.h"
#include "ebook/ebook_messages.h"
#include "formats/rebrand_info.h"
#include "platform/sleep.h"
#include "platform/user_interface.h"

namespace ebook {

using namespace platform;

namespace {

constexpr int kProbeTries = 5;
constexpr uint32_t kProbePauseMs = 1000;

bool Refuse(const std::string& text) {
  AfxMessageBox(text, MessageIcon::Exclamation);
  return false;
}

}  // namespace

bool CEBookFile::Validate() const {
  const formats::CRebrandInfo& info = formats::GetRebrandInfo();
  const std::string start = kEBookPrefix + info.GetEBookFileName();
  if (!Exists()) {
    return Refuse(start + kNotFoundSuffix + TextFromPath(info.GetModuleFolder()) +
                  kNotFoundFolderEnd);
  }
  std::string id;
  int32_t version = 0;
  if (!ReadIdentity(id, version)) return Refuse(start + kCorruptSuffix);
  // Identity before version, both exact.
  if (id != info.Info().m_strEBookId) return Refuse(start + kDifferentEBookSuffix);
  if (version != info.Trailer().m_nVersion) return Refuse(start + kDifferentVersionSuffix);
  return true;
}

bool CEBookFile::ProbeNotInUse() const {
  bool opened = false;
  {
    CWaitCursor wait;
    // The pause follows every failed try, the last one included.
    for (int tries = 0; !opened && tries < kProbeTries; ++tries) {
      const HFILE file = _lopen(m_strPath, OF_EXCLUSIVE_READWRITE);
      if (file != HFILE_ERROR) {
        _lclose(file);
        opened = true;
      } else {
        Sleep(kProbePauseMs);
      }
    }
  }
  return opened || Refuse(kAlreadyRunning);
}

}  // namespace ebook
