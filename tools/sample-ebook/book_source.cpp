#include "tools/sample-ebook/book_source.h"

#include <utility>

namespace sample_ebook {
namespace {

CBookSource::Status StatusOf(ebv_error error) {
  switch (error) {
    case EBV_OK:
      return CBookSource::kOk;
    case EBV_ERROR_NO_TRAILER:
    case EBV_ERROR_TOO_LARGE:
      return CBookSource::kNoTrailer;
    case EBV_ERROR_BAD_TABLE:
      return CBookSource::kBadTable;
    default:
      return CBookSource::kCannotOpen;
  }
}

ebv_book* Opened(const std::string& path, ebv_error& error) {
  ebv_book* book = nullptr;
  error = ebv_open(path.c_str(), &book);
  return book;
}

}  // namespace

CBookSource::CBookSource(const std::string& shownPath, ebv_error error, ebv_book* book)
    : m_strPath(shownPath), m_nStatus(StatusOf(error)), m_pBook(book) {}

CBookSource::CBookSource(const std::string& path) : m_strPath(path) {
  ebv_error error;
  m_pBook = Opened(path, error);
  m_nStatus = StatusOf(error);
}

CBookSource CBookSource::Self(const std::string& shownPath) {
  ebv_book* book = nullptr;
  const ebv_error error = ebv_open_self(&book);
  return CBookSource(shownPath, error, book);
}

CBookSource::CBookSource(CBookSource&& other) noexcept
    : m_strPath(std::move(other.m_strPath)),
      m_nStatus(other.m_nStatus),
      m_pBook(std::exchange(other.m_pBook, nullptr)) {}

CBookSource::~CBookSource() {
  ebv_close(m_pBook);
}

const ebv_variable* CBookSource::Find(const std::string& ident) const {
  // An ident with a zero byte inside cannot be stored.
  return ident.find('\0') == std::string::npos ? ebv_find(m_pBook, ident.c_str()) : nullptr;
}

}  // namespace sample_ebook
