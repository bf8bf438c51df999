#include <windows.h>

#include "tools/common/text_codec.h"

namespace tool_files {
namespace {

// The whole input in UTF-16, or nullopt at the first byte sequence that is
// not text in the page.
std::optional<std::wstring> Widen(unsigned codePage, const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  const int length =
      MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), length);
  return wide;
}

// The text in the page; characters the page lacks come out as a stand-in,
// which the caller finds by converting back.
std::optional<std::string> Narrow(unsigned codePage, const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  // UTF-8 refuses lone surrogates itself; other pages are checked by the way back.
  const DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0;
  const int length =
      WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::nullopt;
  std::string bytes(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), length, nullptr, nullptr);
  return bytes;
}

}  // namespace

std::optional<TextCodec> TextCodec::Open(const std::string& name) {
  const unsigned codePage = CodePageNumber(name);
  if (codePage == 0 || !IsValidCodePage(codePage)) return std::nullopt;
  return TextCodec(name, codePage);
}

std::optional<std::string> TextCodec::Convert(const std::string& input, bool toPage) const {
  const unsigned from = toPage ? CP_UTF8 : m_codePage;
  const unsigned to = toPage ? m_codePage : CP_UTF8;
  const std::optional<std::wstring> wide = Widen(from, input);
  if (!wide) return std::nullopt;
  std::optional<std::string> output = Narrow(to, *wide);
  // A character the page lacks became a stand-in or its nearest look-alike.
  if (!output || Widen(to, *output) != wide) return std::nullopt;
  return output;
}

}  // namespace tool_files
