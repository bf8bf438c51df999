#include "tools/mkebook/set_values.h"

#include <filesystem>
#include <sstream>

#include "ebook/ebook_file.h"
#include "formats/field_stream.h"
#include "platform/path.h"
#include "platform/user_interface.h"
#include "tools/common/json_fields.h"
#include "tools/common/output_file.h"
#include "tools/common/progress.h"
#include "tools/common/tool_files.h"
#include "tools/common/tool_paths.h"
#include "tools/mkebook/ebook_package.h"
#include "tools/mkebook/mkebook_messages.h"

namespace packing {
namespace {

namespace fs = std::filesystem;
using tool_files::Json;

// The E-Book's bytes up to its table, and its package.
struct Source {
  std::string program;
  EBookPackage package;
};

bool WriteCopy(const Source& source, const formats::CVariableTable& table,
               const std::string& output, const std::string& modeFrom, std::string& error) {
  tool_files::OutputFile out;
  if (!out.Open(output, modeFrom, error)) return false;
  const auto size = static_cast<uint32_t>(source.program.size());
  formats::CEBookTrailer trailer = source.package.trailer;
  formats::CFieldStream stream(formats::CFieldStream::kWrite, out.Handle());
  if (platform::_lwrite(out.Handle(), source.program.data(), size) != static_cast<int32_t>(size) ||
      !table.Write(out.Handle()) || !trailer.Transfer(stream)) {
    error = out.WriteFailure();
    return false;
  }
  return out.Commit(error);
}

}  // namespace

bool ValuesFromArguments(const std::vector<std::string>& args, const tool_files::TextCodec& codec,
                         bool raw, ValueSet& values, std::string& error) {
  for (const std::string& arg : args) {
    const size_t equals = arg.find('=');
    if (equals == std::string::npos || equals == 0) {
      error = arg + ": " + mkebook_messages::kNotIdentEqualsValue;
      return false;
    }
    std::string ident = arg.substr(0, equals), value = arg.substr(equals + 1), problem;
    if (!raw && !(tool_files::EncodeText(arg.substr(0, equals), codec, ident, problem) &&
                  tool_files::EncodeText(arg.substr(equals + 1), codec, value, problem))) {
      error = arg + ": " + problem;
      return false;
    }
    values.emplace_back(ident, value);
  }
  return true;
}

bool ValuesFromJson(const std::string& json, const tool_files::TextCodec& codec, ValueSet& values,
                    std::string& error) {
  Json object;
  if (!tool_files::ParseJsonObject(json, object, error)) return false;
  tool_files::JsonFieldReader reader(object, "", codec, error);
  for (const auto& [key, value] : object.items()) {
    std::string ident, bytes, problem;
    if (!tool_files::EncodeText(key, codec, ident, problem)) {
      error = mkebook_messages::IdentProblem(key, problem);
      return false;
    }
    if (!reader.Text(key, bytes)) return false;
    values.emplace_back(ident, bytes);
  }
  return true;
}

bool ApplyValues(const ValueSet& values, bool force, formats::CVariableTable& table,
                 std::string& error) {
  if (table.m_bRebranded == 1 && !force) {
    error = mkebook_messages::kAlreadyCustomized;
    return false;
  }
  for (const auto& [ident, value] : values) {
    int found = -1;
    for (int i = 0; i < table.GetSize() && found < 0; ++i) {
      if (table[i].m_strIdent == ident) found = i;
    }
    if (found < 0 || table[found].m_bEditable != 1) {
      error = mkebook_messages::NoSuchVariable(ident, found >= 0);
      return false;
    }
    if (value.find('\0') != std::string::npos) {
      error = mkebook_messages::ValueHoldsZeroByte(ident);
      return false;
    }
    table[found].m_strValue = value;
  }
  table.m_bRebranded = 1;
  return true;
}

bool SetValuesInPlace(const std::string& path, const ValueSet& values, bool force) {
  const ebook::CEBookFile book(platform::PathFromUtf8(path));
  formats::CVariableTable table;
  if (!book.RecoverInterruptedStore(ebook::EBookUse::kCustomize) || !book.ProbeNotInUse() ||
      !book.LoadTable(table)) {
    return false;
  }
  std::string error;
  if (!ApplyValues(values, force, table, error)) {
    platform::AfxMessageBox(error);
    return false;
  }
  return book.StoreTable(table);
}

bool MakeCustomizedCopies(const std::string& ebook, const std::string& lines,
                          const std::string& folder, const tool_files::TextCodec& codec, bool force,
                          std::string& error) {
  Source source;
  std::string bytes;
  if (!LoadPackage(ebook, source.package, error) ||
      !tool_files::ReadWholeFile(ebook, bytes, error)) {
    return false;
  }
  source.program = bytes.substr(0, static_cast<size_t>(source.package.trailer.m_nTableOffset));
  // Every line is read and applied before the first copy is written, so that a
  // mistake on any line leaves no copy behind.
  std::vector<formats::CVariableTable> tables;
  std::istringstream input(lines);
  std::string line;
  for (int number = 1; std::getline(input, line); ++number) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    ValueSet values;
    formats::CVariableTable& table = tables.emplace_back(source.package.table);
    const std::string where = mkebook_messages::OnLine(number);
    if (!ValuesFromJson(line, codec, values, error)) {
      error = where + error;
      return false;
    }
    if (!ApplyValues(values, force, table, error)) {
      error = where + ebook + " " + error;
      return false;
    }
  }
  const std::string name = tool_files::Utf8Path(tool_files::FsPath(ebook).filename());
  const size_t width = std::to_string(tables.size()).size();
  std::error_code failed;
  fs::create_directories(tool_files::FsPath(folder), failed);
  tool_files::Progress progress("mkebook", mkebook_messages::kCopiesProgress,
                                static_cast<int64_t>(tables.size()));
  for (size_t i = 0; i < tables.size(); ++i) {
    std::string number = std::to_string(i + 1);
    number.insert(0, width - number.size(), '0');
    const fs::path place = tool_files::FsPath(folder) / number;
    fs::create_directory(place, failed);
    if (failed) {
      error = tool_files::Utf8Path(place) + ": " + failed.message();
      return false;
    }
    if (!WriteCopy(source, tables[i], tool_files::Utf8Path(place / tool_files::FsPath(name)), ebook,
                   error)) {
      return false;
    }
    progress.Done(static_cast<int64_t>(i + 1));
  }
  return true;
}

}  // namespace packing
