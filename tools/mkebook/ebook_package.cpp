#include "tools/mkebook/ebook_package.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <vector>

#include "formats/table_rules.h"
#include "platform/durable_files.h"
#include "platform/file_io.h"
#include "tools/common/tool_files.h"

namespace packing {

using namespace platform;
using formats::CEBookTrailer;
using formats::CFieldStream;

namespace {

using tool_files::CopyBytes;
using tool_files::ScopedFile;

// Writes the program part, the table and the trailer to an open, empty file.
bool WritePackage(HFILE in, int32_t programLength, const EBookPackage& package, HFILE out,
                  std::string& error) {
  if (_llseek(in, 0, FILE_BEGIN) != 0 || !CopyBytes(in, out, programLength)) {
    error = "copying the program failed";
    return false;
  }
  if (!package.table.Write(out)) {
    error = "writing the variable table failed";
    return false;
  }
  // Every position of the package must stay addressable by 32-bit offsets.
  const int32_t tableEnd = _llseek(out, 0, FILE_CURRENT);
  if (tableEnd < 0 || tableEnd > std::numeric_limits<int32_t>::max() - CEBookTrailer::kSize) {
    error = "the packed E-Book would reach 2 GiB";
    return false;
  }
  CEBookTrailer trailer = package.trailer;
  trailer.m_nTableOffset = programLength;
  CFieldStream stream(CFieldStream::kWrite, out);
  if (!trailer.Transfer(stream)) {
    error = "writing the trailer failed";
    return false;
  }
  return true;
}

// Walks the stored lengths of the table's texts and names those longer than
// what was read of them.
std::vector<std::string> TextsCutAtZero(HFILE file, const EBookPackage& package) {
  std::vector<std::string> cut;
  constexpr int32_t kHeaderSize = 12;
  int32_t position = package.trailer.m_nTableOffset + kHeaderSize;
  for (int i = 0; i < package.table.GetSize(); ++i) {
    const formats::CVariable& variable = package.table[i];
    position += 4;  // the record's marker
    const std::pair<const char*, const std::string*> texts[] = {{"ident", &variable.m_strIdent},
                                                                {"prompt", &variable.m_strPrompt},
                                                                {"value", &variable.m_strValue}};
    for (const auto& [name, text] : texts) {
      int32_t length = 0;
      if (_llseek(file, position, FILE_BEGIN) != position || !formats::ReadInt(file, length)) {
        return cut;
      }
      if (static_cast<size_t>(length) != text->size()) {
        cut.push_back("variables[" + std::to_string(i) + "]." + name);
      }
      position += 4 + length;
    }
    position += 8;  // editable and type
  }
  return cut;
}

}  // namespace

PackageStatus ReadPackage(HFILE file, EBookPackage& package, int32_t* tableEnd) {
  const int32_t length = _llseek(file, 0, FILE_END);
  const int32_t trailerAt = length - CEBookTrailer::kSize;
  if (!ebv_rule_file_length_ok(length) || _llseek(file, trailerAt, FILE_BEGIN) != trailerAt) {
    return PackageStatus::kNoTrailer;
  }
  CFieldStream stream(CFieldStream::kRead, file);
  if (!package.trailer.Transfer(stream)) return PackageStatus::kNoTrailer;

  const int32_t offset = package.trailer.m_nTableOffset;
  if (!ebv_rule_table_offset_ok(offset, length) || _llseek(file, offset, FILE_BEGIN) != offset ||
      !package.table.Read(file)) {
    return PackageStatus::kBadTable;
  }
  const int32_t end = _llseek(file, 0, FILE_CURRENT);
  if (!ebv_rule_table_end_ok(end, length)) return PackageStatus::kBadTable;
  if (tableEnd) *tableEnd = end;
  return PackageStatus::kOk;
}

bool LoadPackage(const Path& wide, EBookPackage& package, std::string& error,
                 std::vector<std::string>* cutTexts) {
  ScopedFile in(_lopen(wide, OF_SHARED_READ));
  const std::string path = Utf8FromPath(wide);
  if (in.file == HFILE_ERROR) {
    error = "cannot open " + path;
    return false;
  }
  switch (ReadPackage(in.file, package)) {
    case PackageStatus::kOk:
      if (cutTexts) *cutTexts = TextsCutAtZero(in.file, package);
      return true;
    case PackageStatus::kNoTrailer:
      error = path + " does not end with an E-Book trailer";
      return false;
    case PackageStatus::kBadTable:
      error = path + ": the variable table at offset " +
              std::to_string(package.trailer.m_nTableOffset) + " cannot be read";
      return false;
  }
  return false;
}

bool PackEBook(const Path& programPath, const EBookPackage& package, const Path& outputPath,
               std::string& error) {
  namespace fs = std::filesystem;
  std::error_code failed;
  const uintmax_t size = fs::file_size(programPath, failed);
  const fs::perms permissions = fs::status(programPath, failed).permissions();
  ScopedFile in(_lopen(programPath, OF_SHARED_READ));
  const std::string program = Utf8FromPath(programPath), output = Utf8FromPath(outputPath);
  if (in.file == HFILE_ERROR || failed) {
    error = "cannot open " + program;
    return false;
  }
  if (size > uintmax_t{std::numeric_limits<int32_t>::max()}) {
    error = program + " is 2 GiB or larger";
    return false;
  }
  // Repacking an E-Book replaces its table instead of stacking a second one.
  EBookPackage existing;
  int32_t programLength = static_cast<int32_t>(size);
  switch (ReadPackage(in.file, existing)) {
    case PackageStatus::kOk:
      programLength = existing.trailer.m_nTableOffset;
      break;
    case PackageStatus::kNoTrailer:
      break;
    case PackageStatus::kBadTable:
      error = program + " ends with an E-Book trailer but its variable table cannot be read";
      return false;
  }

  const Path temporary = outputPath + PathFromUtf8(".partial");
  bool ok = false;
  {
    ScopedFile out(_lcreat(temporary, static_cast<unsigned>(permissions & fs::perms::mask)));
    if (out.file == HFILE_ERROR) {
      error = "cannot create " + output;
      return false;
    }
    ok = WritePackage(in.file, programLength, package, out.file, error);
    if (!ok) error = output + ": " + error;
    if (ok && !FlushFile(out.file)) {
      error = "cannot write " + output;
      ok = false;
    }
  }
  // The program's permissions, exactly (the umask may have taken some), then
  // the output replaced where it exists, on Windows too.
  if (ok) fs::permissions(temporary, permissions, failed);
  if (ok && !failed) fs::rename(temporary, outputPath, failed);
  if (ok && failed) {
    error = "cannot replace " + output + ": " + failed.message();
    ok = false;
  }
  if (!ok) fs::remove(temporary, failed);
  return ok;
}

}  // namespace packing
