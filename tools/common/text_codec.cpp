#include "tools/common/text_codec.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>

namespace tool_files {
namespace {

constexpr unsigned kUtf8Page = 65001;
constexpr unsigned kGb18030Page = 54936;
constexpr unsigned kKoi8rPage = 20866;
constexpr unsigned kIso8859Base = 28590;

// Lower case, without the separators that names are written with or without.
std::string Folded(const std::string& name) {
  std::string folded;
  for (const char c : name) {
    if (c != '-' && c != '_')
      folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return folded;
}

// The number after `prefix`, or 0.
unsigned NumberAfter(const std::string& folded, const std::string& prefix) {
  if (folded.rfind(prefix, 0) != 0 || folded.size() == prefix.size() ||
      folded.size() > prefix.size() + 5) {
    return 0;
  }
  const std::string digits = folded.substr(prefix.size());
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(c); })) return 0;
  return static_cast<unsigned>(std::strtoul(digits.c_str(), nullptr, 10));
}

}  // namespace

unsigned CodePageNumber(const std::string& name) {
  static const std::map<std::string, unsigned> kNamed = {
      {"utf8", kUtf8Page}, {"shiftjis", 932},         {"sjis", 932},     {"gbk", 936},
      {"big5", 950},       {"gb18030", kGb18030Page}, {"latin1", 28591}, {"koi8r", kKoi8rPage}};
  const std::string folded = Folded(name);
  if (const auto named = kNamed.find(folded); named != kNamed.end()) return named->second;
  if (const unsigned part = NumberAfter(folded, "iso8859"); part >= 1 && part <= 16) {
    return kIso8859Base + part;
  }
  for (const char* prefix : {"windows", "cp", "ibm"}) {
    if (const unsigned number = NumberAfter(folded, prefix)) return number;
  }
  return 0;
}

std::string IconvName(unsigned codePage) {
  if (codePage == kUtf8Page) return TextCodec::kUtf8;
  if (codePage == kGb18030Page) return "GB18030";
  if (codePage == kKoi8rPage) return "KOI8-R";
  if (codePage > kIso8859Base && codePage <= kIso8859Base + 16) {
    return "ISO-8859-" + std::to_string(codePage - kIso8859Base);
  }
  return "CP" + std::to_string(codePage);
}

std::optional<std::string> TextCodec::ToUtf8(const std::string& bytes) const {
  std::optional<std::string> text = Convert(bytes, false);
  // Some code pages read several byte sequences as one character; only text
  // that comes back unchanged may be shown as text.
  if (!text || Convert(*text, true) != bytes) return std::nullopt;
  return text;
}

std::optional<std::string> TextCodec::FromUtf8(const std::string& utf8) const {
  return Convert(utf8, true);
}

}  // namespace tool_files
