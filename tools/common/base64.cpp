#include "tools/common/base64.h"

#include <cstdint>

namespace tool_files {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Digit(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string EncodeBase64(const std::string& bytes) {
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t count = std::min<size_t>(3, bytes.size() - i);
    uint32_t group = 0;
    for (size_t j = 0; j < 3; ++j) {
      group = group << 8 | (j < count ? static_cast<unsigned char>(bytes[i + j]) : 0u);
    }
    for (size_t j = 0; j < 4; ++j) {
      text += j <= count ? kAlphabet[group >> (18 - 6 * j) & 63] : '=';
    }
  }
  return text;
}

std::optional<std::string> DecodeBase64(const std::string& text) {
  const size_t padding = text.size() - text.find_last_not_of('=') - 1;
  const size_t digits = text.find_last_not_of('=') + 1;
  // A group of one digit holds no byte; padding only completes the last group.
  if (digits % 4 == 1 || padding > 2 || (padding && (digits + padding) % 4 != 0)) {
    return std::nullopt;
  }
  std::string bytes;
  uint32_t group = 0;
  int bits = 0;
  for (size_t i = 0; i < digits; ++i) {
    const int digit = Digit(text[i]);
    if (digit < 0) return std::nullopt;
    group = (group << 6 | static_cast<uint32_t>(digit)) & 0xFFFFFF;
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes += static_cast<char>(group >> bits & 0xFF);
    }
  }
  return bytes;
}

}  // namespace tool_files
