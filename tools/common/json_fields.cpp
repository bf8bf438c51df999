#include "tools/common/json_fields.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <set>
#include <vector>

#include "tools/common/base64.h"
#include "tools/common/kit_messages.h"

namespace tool_files {
namespace {

constexpr char kBase64Key[] = "base64";

std::string CodePoint(char32_t c) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
  return name;
}

// The length of the well-formed UTF-8 character at `at` (no surrogates, no
// overlong forms, at most U+10FFFF), or 0.
size_t CharLength(const std::string& text, size_t at, char32_t& c) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(at);
  const size_t length = lead < 0x80    ? 1
                        : lead >= 0xF0 ? 4
                        : lead >= 0xE0 ? 3
                        : lead >= 0xC2 ? 2
                                       : 0;
  if (length == 0 || at + length > text.size()) return 0;
  c = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    c = c << 6 | (byte(at + i) & 0x3F);
  }
  const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < least[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return length;
}

bool IsUtf8(const std::string& text) {
  char32_t c;
  for (size_t at = 0, length; at < text.size(); at += length) {
    if ((length = CharLength(text, at, c)) == 0) return false;
  }
  return true;
}

// The first character of UTF-8 `text` that the code page cannot hold, named.
std::string FirstUnencodable(const std::string& text, const TextCodec& codec) {
  char32_t c = 0;
  for (size_t at = 0, length; at < text.size(); at += length) {
    if ((length = CharLength(text, at, c)) == 0) return kit_messages::kNotUtf8;
    if (!codec.FromUtf8(text.substr(at, length))) {
      return CodePoint(c) + " \"" + text.substr(at, length) + "\"";
    }
  }
  return kit_messages::kSomeCharacter;
}

bool BytesFromJson(const Json& value, const TextCodec& codec, std::string& bytes,
                   std::string& problem) {
  if (value.is_string()) {
    if (EncodeText(value.get<std::string>(), codec, bytes, problem)) return true;
    problem += kit_messages::kWriteAsBase64;
    return false;
  }
  if (value.is_object() && value.size() == 1 && value.contains(kBase64Key) &&
      value[kBase64Key].is_string()) {
    const std::optional<std::string> decoded = DecodeBase64(value[kBase64Key].get<std::string>());
    if (!decoded) {
      problem = kit_messages::kInvalidBase64;
      return false;
    }
    bytes = *decoded;
    return true;
  }
  problem = kit_messages::kStringOrBase64;
  return false;
}

// Where the parser is, kept from its events: the open objects and lists.
struct Frame {
  bool object = false;
  std::set<std::string> keys;
  std::string key;   // an object's latest key
  long index = -1;   // a list's latest element
  std::string name;  // an object's "ident", once read
};

struct DuplicateKey {
  std::string key;
};

// "variables[5]", or the element named by its ident: "variable \"title\"".
std::string Place(const std::vector<Frame>& frames) {
  std::string path;
  for (size_t i = 0; i + 1 < frames.size(); ++i) {
    const Frame& parent = frames[i];
    if (parent.object) {
      path += (path.empty() ? "" : ".") + parent.key;
    } else if (!frames[i + 1].name.empty() && i + 2 == frames.size()) {
      return kit_messages::VariableNamed(frames[i + 1].name);
    } else {
      path += "[" + std::to_string(parent.index) + "]";
    }
  }
  return path;
}

// 1-based line and column (in characters) of the byte at `at`.
std::string LineAndColumn(const std::string& text, size_t at) {
  at = std::min(at, text.size());
  const size_t lineStart = text.rfind('\n', at == 0 ? 0 : at - 1);
  const size_t first = lineStart == std::string::npos || at == 0 ? 0 : lineStart + 1;
  const long line = std::count(text.begin(), text.begin() + static_cast<long>(first), '\n') + 1;
  const long column =
      std::count_if(text.begin() + static_cast<long>(first), text.begin() + static_cast<long>(at),
                    [](char c) { return (c & 0xC0) != 0x80; }) +
      1;
  return kit_messages::LineAndColumn(line, column);
}

// The start of the token whose last byte is at `at`: the parser reports where
// it stopped, a reader looks for where the token begins.
size_t TokenStart(const std::string& text, size_t at) {
  if (at >= text.size()) return at;
  if (text[at] == '"') {
    while (at > 0 && (text[--at] != '"' || (at > 0 && text[at - 1] == '\\'))) {
    }
    return at;
  }
  while (at > 0 && (std::isalnum(static_cast<unsigned char>(text[at - 1])) ||
                    std::strchr("+-.", text[at - 1]))) {
    --at;
  }
  return at;
}

// The parser's own reason, without its prefix and position.
std::string Reason(const std::string& what) {
  const size_t dash = what.find(": ");
  std::string reason = dash == std::string::npos ? what : what.substr(dash + 2);
  if (reason.rfind("syntax error while parsing ", 0) == 0) reason.erase(0, 27);
  return reason;
}

// Reads a char buffer and remembers how far the parser got.
struct CountingIterator {
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;
  const char* at;
  const char** furthest;
  reference operator*() const { return *at; }
  CountingIterator& operator++() {
    *furthest = std::max(*furthest, ++at);
    return *this;
  }
  bool operator==(const CountingIterator& other) const { return at == other.at; }
  bool operator!=(const CountingIterator& other) const { return at != other.at; }
};

}  // namespace

bool EncodeText(const std::string& utf8, const TextCodec& codec, std::string& bytes,
                std::string& problem) {
  const std::optional<std::string> encoded = codec.FromUtf8(utf8);
  if (!encoded) {
    problem = kit_messages::CannotHold(FirstUnencodable(utf8, codec), codec.Name());
    return false;
  }
  bytes = *encoded;
  return true;
}

Json BytesToJson(const std::string& bytes, const TextCodec& codec) {
  if (const std::optional<std::string> text = codec.ToUtf8(bytes); text && IsUtf8(*text)) {
    return *text;
  }
  return Json{{kBase64Key, EncodeBase64(bytes)}};
}

bool ToInt32(const Json& value, int32_t& out) {
  if (!value.is_number()) return false;
  const double number = value.get<double>();
  if (!(number >= std::numeric_limits<int32_t>::min() &&
        number <= std::numeric_limits<int32_t>::max()) ||
      number != std::floor(number)) {
    return false;
  }
  out = static_cast<int32_t>(number);
  return true;
}

bool ParseJsonObject(const std::string& text, Json& object, std::string& error) {
  std::vector<Frame> frames;
  const char* furthest = text.data();
  const auto track = [&](int, Json::parse_event_t event, Json& parsed) {
    using Event = Json::parse_event_t;
    Frame* top = frames.empty() ? nullptr : &frames.back();
    switch (event) {
      case Event::object_start:
      case Event::array_start:
        if (top && !top->object) ++top->index;
        frames.emplace_back().object = event == Event::object_start;
        break;
      case Event::object_end:
      case Event::array_end:
        frames.pop_back();
        break;
      case Event::key:
        if (!top->keys.insert(parsed.get<std::string>()).second) {
          throw DuplicateKey{parsed.get<std::string>()};
        }
        top->key = parsed.get<std::string>();
        break;
      case Event::value:
        if (top && !top->object) ++top->index;
        if (top && top->object && top->key == "ident" && parsed.is_string()) {
          top->name = parsed.get<std::string>();
        }
        break;
    }
    return true;
  };
  const auto where = [&](size_t at) {
    const std::string place = Place(frames);
    return LineAndColumn(text, at) + (place.empty() ? "" : kit_messages::InPlace(place)) + ": ";
  };
  try {
    object = Json::parse(CountingIterator{text.data(), &furthest},
                         CountingIterator{text.data() + text.size(), &furthest}, track);
  } catch (const DuplicateKey& duplicate) {
    // The parser stands right after the key's closing quote.
    const size_t keyEnd = static_cast<size_t>(furthest - text.data()) - 1;
    error = where(TokenStart(text, keyEnd)) + kit_messages::KeyGivenTwice(duplicate.key);
    return false;
  } catch (const Json::parse_error& failure) {
    error =
        where(TokenStart(text, failure.byte == 0 ? 0 : failure.byte - 1)) + Reason(failure.what());
    return false;
  }
  if (!object.is_object()) {
    error = kit_messages::kJsonNotObject;
    return false;
  }
  return true;
}

std::string JsonText(const Json& value) {
  return value.dump(4) + '\n';
}

bool JsonFieldReader::OnlyKeys(std::initializer_list<const char*> known) {
  return OnlyKeys(std::vector<std::string>(known.begin(), known.end()));
}

bool JsonFieldReader::OnlyKeys(const std::vector<std::string>& known) {
  for (const auto& [key, value] : m_object.items()) {
    if (std::find(known.begin(), known.end(), key) == known.end()) {
      return Fail(key, kit_messages::kUnknownField);
    }
  }
  return true;
}

bool JsonFieldReader::Int(const std::string& key, int32_t& out) {
  if (!m_object.contains(key)) return Missing(key);
  return ToInt32(m_object[key], out) || Fail(key, kit_messages::kNot32BitInteger);
}

bool JsonFieldReader::IntIn(const std::string& key, int32_t low, int32_t high, int32_t& out) {
  if (!Int(key, out)) return false;
  return (out >= low && out <= high) || Fail(key, kit_messages::OutOfRange(out, low, high));
}

bool JsonFieldReader::Text(const std::string& key, std::string& out) {
  if (!Bytes(key, out)) return false;
  return out.find('\0') == std::string::npos || Fail(key, kit_messages::kHoldsZeroByte);
}

bool JsonFieldReader::Bytes(const std::string& key, std::string& out) {
  if (!m_object.contains(key)) return Missing(key);
  std::string problem;
  return BytesFromJson(m_object[key], m_codec, out, problem) || Fail(key, problem);
}

bool JsonFieldReader::Fail(const std::string& key, const std::string& problem) {
  m_error = (m_owner.empty() ? "" : m_owner + ": ") + kit_messages::FieldProblem(key, problem);
  return false;
}

bool JsonFieldReader::Missing(const std::string& key) {
  m_error = (m_owner.empty() ? "" : m_owner + ": ") + kit_messages::MissingField(key);
  return false;
}

}  // namespace tool_files
