// Converts the 8-bit text the executables store between its code page and
// UTF-8, with the system's iconv.
#pragma once

#include <optional>
#include <string>

namespace tool_files {

class TextCodec {
 public:
  static constexpr char kUtf8[] = "UTF-8";

  // Nullopt when iconv knows no such code page.
  static std::optional<TextCodec> Open(const std::string& name);

  const std::string& Name() const { return m_name; }

  // The bytes as UTF-8 when they are text in the code page that converts back
  // to exactly the same bytes; nullopt otherwise.
  std::optional<std::string> ToUtf8(const std::string& bytes) const;
  // UTF-8 text in the code page; nullopt when it holds a character that the
  // code page cannot, or is not UTF-8.
  std::optional<std::string> FromUtf8(const std::string& utf8) const;

 private:
  explicit TextCodec(std::string name) : m_name(std::move(name)) {}
  std::string m_name;
};

}  // namespace tool_files
