// The sample E-Book's texts: the trailer and variable table at the end of its
// own executable. The file stays open, for shared reading, as long as this
// object lives: that handle holds the shared lock by which a rebrander sees
// that the E-Book is running and leaves it alone.
#pragma once

#include <string>

#include "platform/file_io.h"
#include "tools/mkebook/ebook_package.h"

namespace sample_ebook {

class CBookSource {
 public:
  enum Status {
    kOk,
    kCannotOpen,  // missing, or held exclusively (a rebrander is storing into it)
    kNoTrailer,   // no E-Book trailer at the end: the program was never packed
    kBadTable,    // a trailer, but its variable table cannot be read
  };

  explicit CBookSource(const platform::Path& path);
  ~CBookSource();
  CBookSource(const CBookSource&) = delete;
  CBookSource& operator=(const CBookSource&) = delete;

  Status GetStatus() const { return m_nStatus; }
  const platform::Path& GetPath() const { return m_strPath; }
  // Filled only when the status is kOk.
  const formats::CEBookTrailer& Trailer() const { return m_package.trailer; }
  const formats::CVariableTable& Table() const { return m_package.table; }

  // The first variable with this ident, or nullptr.
  const formats::CVariable* Find(const std::string& ident) const;

 private:
  platform::Path m_strPath;
  platform::HFILE m_hFile = platform::HFILE_ERROR;
  Status m_nStatus = kCannotOpen;
  packing::EBookPackage m_package;
};

}  // namespace sample_ebook
