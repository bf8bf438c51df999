#include "tools/common/text_codec.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace tool_files {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// The whole input converted, or nullopt at the first byte sequence or
// character that does not convert.
std::optional<std::string> Convert(const std::string& to, const std::string& from,
                                   const std::string& input) {
  const iconv_t converter = iconv_open(to.c_str(), from.c_str());
  if (converter == kNoConverter) return std::nullopt;
  std::string output;
  std::vector<char> buffer(4 * input.size() + 16);
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  bool ok = true;
  for (bool flushing = false;;) {
    char* out = buffer.data();
    size_t outLeft = buffer.size();
    // A last call without input ends any shift state of the code page.
    const size_t result = flushing ? iconv(converter, nullptr, nullptr, &out, &outLeft)
                                   : iconv(converter, &in, &inLeft, &out, &outLeft);
    output.append(buffer.data(), static_cast<size_t>(out - buffer.data()));
    if (result == static_cast<size_t>(-1) && errno == E2BIG) continue;
    if (result == static_cast<size_t>(-1)) {
      ok = false;
      break;
    }
    if (flushing) break;
    flushing = true;
  }
  iconv_close(converter);
  if (!ok) return std::nullopt;
  return output;
}

}  // namespace

std::optional<TextCodec> TextCodec::Open(const std::string& name) {
  for (const auto& [to, from] : {std::pair{name, std::string(kUtf8)}, {kUtf8, name}}) {
    const iconv_t converter = iconv_open(to.c_str(), from.c_str());
    if (converter == kNoConverter) return std::nullopt;
    iconv_close(converter);
  }
  return TextCodec(name);
}

std::optional<std::string> TextCodec::ToUtf8(const std::string& bytes) const {
  std::optional<std::string> text = Convert(kUtf8, m_name, bytes);
  // Some code pages read several byte sequences as one character; only text
  // that comes back unchanged may be shown as text.
  if (!text || Convert(m_name, kUtf8, *text) != bytes) return std::nullopt;
  return text;
}

std::optional<std::string> TextCodec::FromUtf8(const std::string& utf8) const {
  return Convert(m_name, kUtf8, utf8);
}

}  // namespace tool_files
