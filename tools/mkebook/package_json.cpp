#include "tools/mkebook/package_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QStringList>
#include <cmath>
#include <cstdint>
#include <limits>

namespace packing {
namespace {

using formats::CEBookTrailer;
using formats::CVariable;

QByteArray Bytes(const std::string& text) {
  return QByteArray::fromStdString(text);
}
QString Text(const std::string& bytes) {
  return QString::fromLocal8Bit(Bytes(bytes));
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

// Reads the fields of one JSON object; the first problem found is kept.
class ObjectReader {
 public:
  ObjectReader(const QJsonObject& object, std::string prefix, std::string& error)
      : m_object(object), m_prefix(std::move(prefix)), m_error(error) {}

  bool OnlyKeys(const QStringList& known) {
    for (const QString& key : m_object.keys()) {
      if (!known.contains(key)) return Fail(Name(key), "is not a known field");
    }
    return true;
  }

  bool Int(const QString& key, int32_t& out) {
    const QJsonValue value = m_object.value(key);
    if (value.isUndefined()) return Missing(key);
    return ToInt32(value, out) || Fail(Name(key), "must be a 32-bit integer");
  }

  bool String(const QString& key, std::string& out) {
    const QJsonValue value = m_object.value(key);
    if (value.isUndefined()) return Missing(key);
    if (!value.isString()) return Fail(Name(key), "must be a string");
    out = value.toString().toLocal8Bit().toStdString();
    // A stored text ends at its first zero byte.
    if (out.find('\0') != std::string::npos) return Fail(Name(key), "must not contain \\u0000");
    return true;
  }

  bool Fail(const std::string& name, const std::string& problem) {
    m_error = "field \"" + name + "\" " + problem;
    return false;
  }

  std::string Name(const QString& key) const { return m_prefix + key.toStdString(); }

 private:
  bool Missing(const QString& key) {
    m_error = "missing field \"" + Name(key) + "\"";
    return false;
  }

  const QJsonObject& m_object;
  std::string m_prefix;
  std::string& m_error;
};

bool ReadOpaque(const QJsonObject& root, ObjectReader& reader, CEBookTrailer& trailer) {
  if (!root.contains("opaque")) return true;
  int32_t* fields[] = {&trailer.m_nField2, &trailer.m_nField3, &trailer.m_nField4,
                       &trailer.m_nField5, &trailer.m_nField7, &trailer.m_nField8};
  const QJsonValue value = root.value("opaque");
  const QJsonArray list = value.toArray();
  bool ok = value.isArray() && list.size() == 6;
  for (int i = 0; ok && i < 6; ++i) ok = ToInt32(list[i], *fields[i]);
  return ok || reader.Fail("opaque", "must be a list of six 32-bit integers");
}

bool ReadVariable(const QJsonValue& value, int index, CVariable& variable, std::string& error) {
  const std::string prefix = "variables[" + std::to_string(index) + "].";
  if (!value.isObject()) {
    error = "field \"variables[" + std::to_string(index) + "]\" must be an object";
    return false;
  }
  const QJsonObject object = value.toObject();
  ObjectReader reader(object, prefix, error);
  return reader.OnlyKeys({"ident", "prompt", "value", "editable", "type"}) &&
         reader.String("ident", variable.m_strIdent) &&
         reader.String("prompt", variable.m_strPrompt) &&
         reader.String("value", variable.m_strValue) &&
         reader.Int("editable", variable.m_bEditable) && reader.Int("type", variable.m_nType);
}

}  // namespace

bool PackageFromJson(const QByteArray& json, EBookPackage& package, std::string& error) {
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
  const QJsonObject root = document.object();
  ObjectReader reader(root, "", error);
  std::string id;
  package = EBookPackage();
  if (!reader.OnlyKeys({"id", "version", "opaque", "rebranded", "variables"}) ||
      !reader.String("id", id) || !reader.Int("version", package.trailer.m_nVersion) ||
      !ReadOpaque(root, reader, package.trailer) ||
      !reader.Int("rebranded", package.table.m_bRebranded)) {
    return false;
  }
  if (id.size() > CEBookTrailer::kIdSize) {
    return reader.Fail("id", "is " + std::to_string(id.size()) + " bytes long; at most " +
                                 std::to_string(CEBookTrailer::kIdSize) + " fit");
  }
  package.trailer.SetId(id);

  const QJsonValue variables = root.value("variables");
  if (variables.isUndefined()) {
    error = "missing field \"variables\"";
    return false;
  }
  if (!variables.isArray()) return reader.Fail("variables", "must be a list");
  const QJsonArray list = variables.toArray();
  for (int i = 0; i < list.size(); ++i) {
    CVariable variable;
    if (!ReadVariable(list[i], i, variable, error)) return false;
    package.table.Add(variable);
  }
  return true;
}

QByteArray PackageToJson(const EBookPackage& package) {
  const CEBookTrailer& trailer = package.trailer;
  QJsonArray variables;
  for (int i = 0; i < package.table.GetSize(); ++i) {
    const CVariable& variable = package.table[i];
    variables.append(QJsonObject{{"ident", Text(variable.m_strIdent)},
                                 {"prompt", Text(variable.m_strPrompt)},
                                 {"value", Text(variable.m_strValue)},
                                 {"editable", variable.m_bEditable},
                                 {"type", variable.m_nType}});
  }
  const QJsonObject root{
      {"id", Text(trailer.GetId())},
      {"version", trailer.m_nVersion},
      {"opaque", QJsonArray{trailer.m_nField2, trailer.m_nField3, trailer.m_nField4,
                            trailer.m_nField5, trailer.m_nField7, trailer.m_nField8}},
      {"rebranded", package.table.m_bRebranded},
      {"variables", variables}};
  return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

}  // namespace packing
