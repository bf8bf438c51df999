#include "tools/mkrebrander/stamp_fields.h"

#include <cerrno>
#include <cstdlib>
#include <map>

#include "tools/common/json_fields.h"
#include "tools/common/kit_messages.h"
#include "tools/common/tool_paths.h"
#include "tools/mkebook/ebook_package.h"
#include "tools/mkrebrander/mkrebrander_messages.h"

namespace stamping {
namespace {

using formats::CInfoBlock;
using tool_files::Json;
using tool_files::TextCodec;

const std::map<std::string, std::string CInfoBlock::*>& TextFields() {
  static const std::map<std::string, std::string CInfoBlock::*> fields = {
      {"ebook-file", &CInfoBlock::m_strEBookFile},
      {"ebook-id", &CInfoBlock::m_strEBookId},
      {"title", &CInfoBlock::m_strTitle},
      {"status-before", &CInfoBlock::m_strStatusBefore},
      {"status-after", &CInfoBlock::m_strStatusAfter},
      {"text3", &CInfoBlock::m_strText3}};
  return fields;
}

int32_t* IntField(const std::string& key, Stamp& stamp) {
  if (key == "ebook-version") return &stamp.version;
  if (key == "allow-repeat") return &stamp.info.m_bAllowRepeat;
  return nullptr;
}

bool ParseInt32(const std::string& text, int32_t& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX) return false;
  value = static_cast<int32_t>(parsed);
  return true;
}

}  // namespace

const std::vector<std::string>& StampKeys() {
  static const std::vector<std::string> keys = {"ebook-file", "ebook-id",      "ebook-version",
                                                "title",      "status-before", "status-after",
                                                "text3",      "allow-repeat"};
  return keys;
}

std::string StampToJson(const Stamp& stamp, const TextCodec& codec) {
  Json root;
  Stamp fields = stamp;
  for (const std::string& key : StampKeys()) {
    if (const int32_t* number = IntField(key, fields)) {
      root[key] = *number;
    } else {
      root[key] = tool_files::BytesToJson(stamp.info.*TextFields().at(key), codec);
    }
  }
  return tool_files::JsonText(root);
}

bool StampFromJson(const std::string& json, const TextCodec& codec, Stamp& stamp,
                   std::set<std::string>& given, std::string& error) {
  Json root;
  if (!tool_files::ParseJsonObject(json, root, error)) return false;
  tool_files::JsonFieldReader reader(root, "", codec, error);
  if (!reader.OnlyKeys(StampKeys())) return false;
  for (const std::string& key : StampKeys()) {
    if (!reader.Has(key)) continue;
    int32_t* number = IntField(key, stamp);
    const bool read = key == "allow-repeat" ? reader.IntIn(key, 0, 1, *number)
                      : number              ? reader.Int(key, *number)
                                            : reader.Text(key, stamp.info.*TextFields().at(key));
    if (!read) return false;
    given.insert(key);
  }
  // Checked here as well as after the command line, so that the message names
  // the field and its file.
  if (given.count("ebook-file")) {
    const Json& name = root["ebook-file"];
    const std::string problem = EBookFileProblem(stamp.info.m_strEBookFile,
                                                 name.is_string() ? name.get<std::string>() : "");
    if (!problem.empty()) return reader.Fail("ebook-file", problem);
  }
  const std::string problem = EBookIdProblem(stamp.info.m_strEBookId);
  return !given.count("ebook-id") || problem.empty() || reader.Fail("ebook-id", problem);
}

std::string EBookFileProblem(const std::string& stored, const std::string& asGiven) {
  // A "\\" byte may be the second byte of a character in a double-byte code
  // page; a name given in UTF-8 shows a folder by either separator.
  if (stored.empty() || stored.find('/') != std::string::npos ||
      asGiven.find('\\') != std::string::npos) {
    return mkrebrander_messages::kFileNameWithoutFolder;
  }
  return "";
}

std::string EBookIdProblem(const std::string& id) {
  if (id.size() <= formats::CEBookTrailer::kIdSize) return "";
  return mkrebrander_messages::IdTooLong(id.size(), formats::CEBookTrailer::kIdSize);
}

bool SetStampField(const std::string& key, const std::string& value, const TextCodec& codec,
                   bool raw, Stamp& stamp, std::string& error) {
  if (int32_t* number = IntField(key, stamp)) {
    if (ParseInt32(value, *number)) return true;
    error = mkrebrander_messages::OptionProblem(key, kit_messages::kNot32BitInteger);
    return false;
  }
  std::string& text = stamp.info.*TextFields().at(key);
  if (raw) {
    text = value;
    return true;
  }
  std::string problem;
  if (tool_files::EncodeText(value, codec, text, problem)) return true;
  error = mkrebrander_messages::OptionProblem(key, problem);
  return false;
}

bool StampForEBook(const std::string& ebookPath, const TextCodec& codec, bool raw, Stamp& stamp,
                   std::set<std::string>& given, packing::EBookPackage& package,
                   std::string& error) {
  if (!packing::LoadPackage(ebookPath, package, error)) return false;
  // The rebrander looks the file up by this name in the E-Book's code page.
  const std::string name = tool_files::Utf8Path(tool_files::FsPath(ebookPath).filename());
  if (!SetStampField("ebook-file", name, codec, raw, stamp, error)) {
    error =
        ebookPath + ": " + mkrebrander_messages::kTheFileName + error.substr(error.find(' ') + 1);
    return false;
  }
  stamp.info.m_strEBookId = package.trailer.GetId();
  stamp.version = package.trailer.m_nVersion;
  given.insert({"ebook-file", "ebook-id", "ebook-version"});
  return true;
}

}  // namespace stamping
