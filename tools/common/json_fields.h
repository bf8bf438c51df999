// The JSON form of the texts that the executables store, shared by the tools,
// and a reader of one JSON object's fields that keeps the first problem found.
//
// A stored text is 8-bit, in a code page: UTF-8 unless the tool is given
// --encoding. Bytes that are text in that code page (and convert back to the
// same bytes) are a plain JSON string; any other bytes are an object that
// holds them in base64, such as {"base64": "/0E="} for FF 41. A plain string
// therefore always means text, and the bytes survive a dump and a pack
// unchanged whatever they are.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <string>

#include "tools/common/text_codec.h"

namespace tool_files {

// Objects keep their keys in the order written, so that a dump reads as its
// source does.
using Json = nlohmann::ordered_json;

Json BytesToJson(const std::string& bytes, const TextCodec& codec);

// UTF-8 text in the code page; on failure `problem` names the first character
// that it cannot hold ("holds U+03A9 ...").
bool EncodeText(const std::string& utf8, const TextCodec& codec, std::string& bytes,
                std::string& problem);

bool ToInt32(const Json& value, int32_t& out);

// The JSON document, which must be an object with no key given twice in any
// object; otherwise one line in `error` that says where ("line 3, column 7:
// ...", and the element of a list, named by its "ident" when it has one).
bool ParseJsonObject(const std::string& text, Json& object, std::string& error);

// Serialized with indentation and a final line break.
std::string JsonText(const Json& value);

class JsonFieldReader {
 public:
  // Messages name the field after `owner` ("variable \"title\"") when there is one.
  JsonFieldReader(const Json& object, std::string owner, const TextCodec& codec, std::string& error)
      : m_object(object), m_owner(std::move(owner)), m_codec(codec), m_error(error) {}

  bool OnlyKeys(std::initializer_list<const char*> known);
  bool OnlyKeys(const std::vector<std::string>& known);
  bool Has(const std::string& key) const { return m_object.contains(key); }
  bool Int(const std::string& key, int32_t& out);
  // An integer from `low` to `high`.
  bool IntIn(const std::string& key, int32_t low, int32_t high, int32_t& out);
  // A text: the stored format ends a text at its first zero byte, so none may
  // hold one.
  bool Text(const std::string& key, std::string& out);
  // Bytes that may hold zero bytes.
  bool Bytes(const std::string& key, std::string& out);

  bool Fail(const std::string& key, const std::string& problem);

 private:
  bool Missing(const std::string& key);

  const Json& m_object;
  std::string m_owner;
  const TextCodec& m_codec;
  std::string& m_error;
};

}  // namespace tool_files
