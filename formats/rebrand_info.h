// The process-wide rebranding information, loaded once from the rebrander's own
// executable at first use and kept, read-only, until the process ends.
#pragma once

#include <string>

#include "formats/formats_messages.h"
#include "formats/info_records.h"
#include "platform/path.h"

namespace formats {

class CRebrandInfo {
 public:
  // Loads from the given executable; never shows anything.
  explicit CRebrandInfo(const platform::Path& executablePath);
  virtual ~CRebrandInfo() = default;

  bool HasError() const { return !m_strError.empty(); }
  std::string GetError() const { return m_strError; }
  const CInfoBlock& Info() const { return m_info; }
  const CInfoTrailer& Trailer() const { return m_trailer; }

  // Folder of the running rebrander, with its trailing separator.
  platform::Path GetModuleFolder() const;
  // A text like the others: in the code page of the texts.
  std::string GetEBookFileName() const { return m_info.m_strEBookFile; }
  // The one place where the stamped name meets the folder.
  platform::Path GetEBookPath() const {
    return GetModuleFolder() + platform::PathFromText(GetEBookFileName());
  }

 private:
  void Load(const platform::Path& executablePath);

  std::string m_strError;
  CInfoBlock m_info;
  CInfoTrailer m_trailer;
};

// The one information object of the process, loaded from the running executable
// on the first call.
CRebrandInfo& GetRebrandInfo();

// Forgets the loaded object so that the next call loads again; for tests only.
void ResetRebrandInfoForTesting();

}  // namespace formats
