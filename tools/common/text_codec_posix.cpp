#include <iconv.h>

#include <cerrno>
#include <vector>

#include "tools/common/text_codec.h"

namespace tool_files {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

}  // namespace

std::optional<TextCodec> TextCodec::Open(const std::string& name) {
  const unsigned codePage = CodePageNumber(name);
  if (codePage == 0) return std::nullopt;
  const std::string page = IconvName(codePage);
  for (const auto& [to, from] : {std::pair{page, std::string(kUtf8)}, {kUtf8, page}}) {
    const iconv_t converter = iconv_open(to.c_str(), from.c_str());
    if (converter == kNoConverter) return std::nullopt;
    iconv_close(converter);
  }
  return TextCodec(name, codePage);
}

std::optional<std::string> TextCodec::Convert(const std::string& input, bool toPage) const {
  const std::string page = IconvName(m_codePage);
  const iconv_t converter =
      toPage ? iconv_open(page.c_str(), kUtf8) : iconv_open(kUtf8, page.c_str());
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

}  // namespace tool_files
