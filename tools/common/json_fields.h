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

#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>
#include <cstdint>
#include <string>

#include "tools/common/text_codec.h"

namespace tool_files {

QJsonValue BytesToJson(const std::string& bytes, const TextCodec& codec);

// Text in the code page; on failure `problem` names the first character that
// it cannot hold ("holds U+03A9 ...").
bool EncodeText(const QString& text, const TextCodec& codec, std::string& bytes,
                std::string& problem);

bool ToInt32(const QJsonValue& value, int32_t& out);

// The JSON document, which must be an object; otherwise one line in `error`.
bool ParseJsonObject(const QByteArray& json, QJsonObject& object, std::string& error);

class JsonFieldReader {
 public:
  // Field names in messages start with `prefix`, such as "variables[2].".
  JsonFieldReader(const QJsonObject& object, std::string prefix, const TextCodec& codec,
                  std::string& error)
      : m_object(object), m_prefix(std::move(prefix)), m_codec(codec), m_error(error) {}

  bool OnlyKeys(const QStringList& known);
  bool Has(const QString& key) const { return m_object.contains(key); }
  bool Int(const QString& key, int32_t& out);
  // A text: the stored format ends a text at its first zero byte, so none may
  // hold one.
  bool Text(const QString& key, std::string& out);
  // Bytes that may hold zero bytes.
  bool Bytes(const QString& key, std::string& out);

  bool Fail(const std::string& name, const std::string& problem);
  std::string Name(const QString& key) const { return m_prefix + key.toStdString(); }

 private:
  bool Missing(const QString& key);

  const QJsonObject& m_object;
  std::string m_prefix;
  const TextCodec& m_codec;
  std::string& m_error;
};

}  // namespace tool_files
