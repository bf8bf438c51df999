#include "tools/mkebook/package_json.h"

#include <cstdint>

#include "tools/common/json_fields.h"
#include "tools/common/kit_messages.h"
#include "tools/mkebook/mkebook_messages.h"

namespace packing {
namespace {

using formats::CEBookTrailer;
using formats::CVariable;
using tool_files::BytesToJson;
using tool_files::Json;
using tool_files::JsonFieldReader;
using tool_files::TextCodec;

// The identity block up to its first zero byte, or, when bytes follow that
// zero, the whole block without its trailing zeros, so that those bytes are
// kept too.
std::string IdBytes(const CEBookTrailer& trailer) {
  std::string block(trailer.m_szId, CEBookTrailer::kIdSize);
  const std::string text = trailer.GetId();
  if (block.find_first_not_of('\0', text.size()) == std::string::npos) return text;
  return block.substr(0, block.find_last_not_of('\0') + 1);
}

bool ReadOpaque(const Json& root, JsonFieldReader& reader, CEBookTrailer& trailer) {
  if (!root.contains("opaque")) return true;
  int32_t* fields[] = {&trailer.m_nField2, &trailer.m_nField3, &trailer.m_nField4,
                       &trailer.m_nField5, &trailer.m_nField7, &trailer.m_nField8};
  const Json& list = root["opaque"];
  bool ok = list.is_array() && list.size() == 6;
  for (size_t i = 0; ok && i < 6; ++i) ok = tool_files::ToInt32(list[i], *fields[i]);
  return ok || reader.Fail("opaque", mkebook_messages::kOpaqueList);
}

// Named by its ident where it has one, else by its place in the list.
std::string VariableName(const Json& object, size_t index) {
  const auto ident = object.find("ident");
  if (ident != object.end() && ident->is_string() && !ident->get<std::string>().empty()) {
    return kit_messages::VariableNamed(ident->get<std::string>());
  }
  return mkebook_messages::VariableAt(index);
}

bool ReadVariable(const Json& object, size_t index, const TextCodec& codec, CVariable& variable,
                  std::string& error) {
  if (!object.is_object()) {
    error = mkebook_messages::NotAnObject(mkebook_messages::VariableAt(index));
    return false;
  }
  JsonFieldReader reader(object, VariableName(object, index), codec, error);
  return reader.OnlyKeys({"ident", "prompt", "value", "editable", "type"}) &&
         reader.Text("ident", variable.m_strIdent) && reader.Text("prompt", variable.m_strPrompt) &&
         reader.Text("value", variable.m_strValue) &&
         reader.Int("editable", variable.m_bEditable) && reader.Int("type", variable.m_nType);
}

}  // namespace

bool PackageFromJson(const std::string& json, const TextCodec& codec, EBookPackage& package,
                     std::string& error) {
  Json root;
  if (!tool_files::ParseJsonObject(json, root, error)) return false;
  JsonFieldReader reader(root, "", codec, error);
  std::string id;
  package = EBookPackage();
  if (!reader.OnlyKeys({"id", "version", "opaque", "rebranded", "variables"}) ||
      !reader.Bytes("id", id) || !reader.Int("version", package.trailer.m_nVersion) ||
      !ReadOpaque(root, reader, package.trailer) ||
      !reader.Int("rebranded", package.table.m_bRebranded)) {
    return false;
  }
  if (id.size() > CEBookTrailer::kIdSize) {
    return reader.Fail("id", mkebook_messages::IdTooLong(id.size(), CEBookTrailer::kIdSize));
  }
  package.trailer.SetId(id);

  if (!root.contains("variables")) {
    error = kit_messages::MissingField("variables");
    return false;
  }
  const Json& list = root["variables"];
  if (!list.is_array()) return reader.Fail("variables", mkebook_messages::kMustBeList);
  for (size_t i = 0; i < list.size(); ++i) {
    CVariable variable;
    if (!ReadVariable(list[i], i, codec, variable, error)) return false;
    package.table.Add(variable);
  }
  return true;
}

std::string PackageToJson(const EBookPackage& package, const TextCodec& codec) {
  const CEBookTrailer& trailer = package.trailer;
  Json variables = Json::array();
  for (int i = 0; i < package.table.GetSize(); ++i) {
    const CVariable& variable = package.table[i];
    variables.push_back({{"ident", BytesToJson(variable.m_strIdent, codec)},
                         {"prompt", BytesToJson(variable.m_strPrompt, codec)},
                         {"value", BytesToJson(variable.m_strValue, codec)},
                         {"editable", variable.m_bEditable},
                         {"type", variable.m_nType}});
  }
  const Json root = {{"id", BytesToJson(IdBytes(trailer), codec)},
                     {"version", trailer.m_nVersion},
                     {"opaque",
                      {trailer.m_nField2, trailer.m_nField3, trailer.m_nField4, trailer.m_nField5,
                       trailer.m_nField7, trailer.m_nField8}},
                     {"rebranded", package.table.m_bRebranded},
                     {"variables", variables}};
  return tool_files::JsonText(root);
}

}  // namespace packing
