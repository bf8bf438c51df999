// The sample E-Book's texts: the trailer and variable table at the end of its
// own executable, read through the E-Book library as any author's program
// reads them. The library holds the file open, for shared reading, as long as
// this object lives: that is how a rebrander sees that the E-Book is running
// and leaves it alone.
#pragma once

#include <cstdint>
#include <string>

#include "tools/ebookvars/ebookvars.h"

namespace sample_ebook {

class CBookSource {
 public:
  enum Status {
    kOk,
    kCannotOpen,  // missing, unreadable, or a rebrander is storing into it
    kNoTrailer,   // no E-Book trailer at the end: the program was never packed
    kBadTable,    // a trailer, but its variable table cannot be read
  };

  // The E-Book at a path.
  explicit CBookSource(const std::string& path);
  // The running program itself; `shownPath` is only shown.
  static CBookSource Self(const std::string& shownPath);
  ~CBookSource();
  CBookSource(CBookSource&& other) noexcept;
  CBookSource(const CBookSource&) = delete;
  CBookSource& operator=(const CBookSource&) = delete;

  Status GetStatus() const { return m_nStatus; }
  const std::string& GetPath() const { return m_strPath; }
  // Empty, zero or false unless the status is kOk.
  std::string Identity() const { return ebv_identity(m_pBook); }
  int32_t Version() const { return ebv_version(m_pBook); }
  bool Rebranded() const { return ebv_rebranded(m_pBook) != 0; }
  size_t Count() const { return ebv_count(m_pBook); }
  // The variable at an index below Count().
  const ebv_variable& At(size_t index) const { return *ebv_variable_at(m_pBook, index); }
  // The first variable with this ident, or nullptr.
  const ebv_variable* Find(const std::string& ident) const;

 private:
  CBookSource(const std::string& shownPath, ebv_error error, ebv_book* book);

  std::string m_strPath;
  Status m_nStatus = kCannotOpen;
  ebv_book* m_pBook = nullptr;
};

// A variable's texts as strings.
inline std::string IdentOf(const ebv_variable& v) {
  return {v.ident, v.ident_length};
}
inline std::string PromptOf(const ebv_variable& v) {
  return {v.prompt, v.prompt_length};
}
inline std::string ValueOf(const ebv_variable& v) {
  return {v.value, v.value_length};
}

}  // namespace sample_ebook
