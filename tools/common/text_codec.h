// Converts the 8-bit text the executables store between its code page and
// UTF-8, with the system's own converters: iconv on Linux, the code-page
// functions on Windows. Both accept the same names, so that a command line
// means the same on either.
#pragma once

#include <optional>
#include <string>

namespace tool_files {

class TextCodec {
 public:
  static constexpr char kUtf8[] = "UTF-8";

  // Nullopt when the name is not one of ours or the system lacks the page.
  // Names: UTF-8, windows-NNNN, cpNNNN, ibmNNN, Shift_JIS, GBK, GB18030, Big5,
  // ISO-8859-N, KOI8-R (any case, "-" and "_" optional).
  static std::optional<TextCodec> Open(const std::string& name);

  const std::string& Name() const { return m_name; }

  // The bytes as UTF-8 when they are text in the code page that converts back
  // to exactly the same bytes; nullopt otherwise.
  std::optional<std::string> ToUtf8(const std::string& bytes) const;
  // UTF-8 text in the code page; nullopt when it holds a character that the
  // code page cannot, or is not UTF-8.
  std::optional<std::string> FromUtf8(const std::string& utf8) const;

 private:
  TextCodec(std::string name, unsigned codePage) : m_name(std::move(name)), m_codePage(codePage) {}
  // One way, the whole input or nothing; `toPage` from UTF-8 into the page.
  std::optional<std::string> Convert(const std::string& input, bool toPage) const;

  std::string m_name;
  unsigned m_codePage;
};

// The Windows code page number a name stands for, or 0 when it is none of ours.
unsigned CodePageNumber(const std::string& name);
// The name iconv knows the code page under.
std::string IconvName(unsigned codePage);

}  // namespace tool_files
