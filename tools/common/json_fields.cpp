#include "tools/common/json_fields.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QString>
#include <cmath>
#include <cstdio>
#include <limits>

namespace tool_files {
namespace {

constexpr char kBase64Key[] = "base64";

std::string CodePoint(char32_t c) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
  return name;
}

// The first character of `text` that the code page cannot hold, named.
std::string FirstUnencodable(const QString& text, const TextCodec& codec) {
  for (const char32_t c : text.toUcs4()) {
    const std::string utf8 = QString::fromUcs4(&c, 1).toStdString();
    if (!codec.FromUtf8(utf8)) return CodePoint(c) + " \"" + utf8 + "\"";
  }
  return "a character";
}

}  // namespace

bool EncodeText(const QString& text, const TextCodec& codec, std::string& bytes,
                std::string& problem) {
  if (!text.isValidUtf16()) {
    for (const QChar c : text) {
      if (c.isSurrogate()) problem = "holds a lone surrogate " + CodePoint(c.unicode());
    }
    return false;
  }
  const std::optional<std::string> encoded = codec.FromUtf8(text.toStdString());
  if (!encoded) {
    problem = "holds " + FirstUnencodable(text, codec) + ", which " + codec.Name() + " cannot hold";
    return false;
  }
  bytes = *encoded;
  return true;
}

namespace {

bool BytesFromJson(const QJsonValue& value, const TextCodec& codec, std::string& bytes,
                   std::string& problem) {
  if (value.isString()) {
    if (EncodeText(value.toString(), codec, bytes, problem)) return true;
    if (problem.find("cannot hold") != std::string::npos) {
      problem += " (write such bytes as {\"base64\": \"...\"})";
    }
    return false;
  }
  const QJsonObject object = value.toObject();
  if (value.isObject() && object.size() == 1 && object.value(kBase64Key).isString()) {
    const auto decoded = QByteArray::fromBase64Encoding(
        object.value(kBase64Key).toString().toLatin1(),
        QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
      problem = "holds invalid base64";
      return false;
    }
    bytes = (*decoded).toStdString();
    return true;
  }
  problem = "must be a string or {\"base64\": \"...\"}";
  return false;
}

}  // namespace

QJsonValue BytesToJson(const std::string& bytes, const TextCodec& codec) {
  if (const std::optional<std::string> text = codec.ToUtf8(bytes)) {
    const QString string = QString::fromStdString(*text);
    if (string.toStdString() == *text) return string;
  }
  return QJsonObject{
      {kBase64Key, QString::fromLatin1(QByteArray::fromStdString(bytes).toBase64())}};
}

bool ToInt32(const QJsonValue& value, int32_t& out) {
  if (!value.isDouble()) return false;
  const double number = value.toDouble();
  if (!(number >= std::numeric_limits<int32_t>::min() &&
        number <= std::numeric_limits<int32_t>::max()) ||
      number != std::floor(number)) {
    return false;
  }
  out = static_cast<int32_t>(number);
  return true;
}

bool ParseJsonObject(const QByteArray& json, QJsonObject& object, std::string& error) {
  QJsonParseError parseError;
  const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
  if (parseError.error != QJsonParseError::NoError) {
    error = "malformed JSON at offset " + std::to_string(parseError.offset) + ": " +
            parseError.errorString().toStdString();
    return false;
  }
  if (!document.isObject()) {
    error = "the JSON must be an object";
    return false;
  }
  object = document.object();
  return true;
}

bool JsonFieldReader::OnlyKeys(const QStringList& known) {
  for (const QString& key : m_object.keys()) {
    if (!known.contains(key)) return Fail(Name(key), "is not a known field");
  }
  return true;
}

bool JsonFieldReader::Int(const QString& key, int32_t& out) {
  const QJsonValue value = m_object.value(key);
  if (value.isUndefined()) return Missing(key);
  return ToInt32(value, out) || Fail(Name(key), "must be a 32-bit integer");
}

bool JsonFieldReader::Text(const QString& key, std::string& out) {
  if (!Bytes(key, out)) return false;
  return out.find('\0') == std::string::npos || Fail(Name(key), "must not hold a zero byte");
}

bool JsonFieldReader::Bytes(const QString& key, std::string& out) {
  const QJsonValue value = m_object.value(key);
  if (value.isUndefined()) return Missing(key);
  std::string problem;
  return BytesFromJson(value, m_codec, out, problem) || Fail(Name(key), problem);
}

bool JsonFieldReader::Fail(const std::string& name, const std::string& problem) {
  m_error = "field \"" + name + "\" " + problem;
  return false;
}

bool JsonFieldReader::Missing(const QString& key) {
  m_error = "missing field \"" + Name(key) + "\"";
  return false;
}

}  // namespace tool_files
