#include "tools/mkebook/ebook_package.h"

#include <filesystem>
#include <limits>
#include <vector>

#include "formats/table_rules.h"
#include "platform/file_io.h"
#include "platform/path.h"
#include "tools/common/kit_messages.h"
#include "tools/common/output_file.h"
#include "tools/common/tool_files.h"
#include "tools/common/tool_paths.h"
#include "tools/mkebook/mkebook_messages.h"
#include "tools/mkebook/package_checks.h"

namespace packing {

using namespace platform;
using formats::CEBookTrailer;
using formats::CFieldStream;

namespace {

using tool_files::CopyBytes;
using tool_files::CopyResult;
using tool_files::ScopedFile;

// "PATH: reason" for a file that would not open for reading.
std::string OpenFailure(const std::string& path) {
  std::error_code failed;
  const auto status = std::filesystem::status(tool_files::FsPath(path), failed);
  if (std::filesystem::is_directory(status)) return path + ": " + kit_messages::kIsFolder;
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    return path + ": " + kit_messages::kIsNoPlainFile;
  }
  return path + ": " + tool_files::SystemReason();
}

// Writes the program part, the table and the trailer to an open, empty file.
bool WritePackage(HFILE in, const std::string& program, int32_t programLength,
                  const EBookPackage& package, tool_files::OutputFile& out, std::string& error) {
  const CopyResult copied = _llseek(in, 0, FILE_BEGIN) != 0
                                ? CopyResult::kReadFailed
                                : CopyBytes(in, out.Handle(), programLength);
  if (copied != CopyResult::kOk) {
    error = copied == CopyResult::kWriteFailed ? out.WriteFailure()
                                               : program + ": " + tool_files::SystemReason();
    return false;
  }
  if (!package.table.Write(out.Handle())) {
    error = out.WriteFailure();
    return false;
  }
  // Every position of the package must stay addressable by 32-bit offsets.
  const int32_t tableEnd = _llseek(out.Handle(), 0, FILE_CURRENT);
  if (tableEnd < 0) {
    error = out.WriteFailure();
    return false;
  }
  if (tableEnd > std::numeric_limits<int32_t>::max() - CEBookTrailer::kSize) {
    error = out.Target() + ": " + mkebook_messages::kTooLargeToPack;
    return false;
  }
  CEBookTrailer trailer = package.trailer;
  trailer.m_nTableOffset = programLength;
  CFieldStream stream(CFieldStream::kWrite, out.Handle());
  if (!trailer.Transfer(stream)) {
    error = out.WriteFailure();
    return false;
  }
  return true;
}

// Walks the stored lengths of the table's texts and names those longer than
// what was read of them.
std::vector<std::string> TextsCutAtZero(HFILE file, const EBookPackage& package) {
  std::vector<std::string> cut;
  int32_t position = package.trailer.m_nTableOffset + EBV_TABLE_HEADER_SIZE;
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
        cut.push_back(mkebook_messages::VariableAt(static_cast<size_t>(i)) + "." + name);
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

bool LoadPackage(const std::string& path, EBookPackage& package, std::string& error,
                 std::vector<std::string>* cutTexts) {
  ScopedFile in(_lopen(PathFromUtf8(path), OF_SHARED_READ));
  if (in.file == HFILE_ERROR) {
    error = OpenFailure(path);
    return false;
  }
  switch (ReadPackage(in.file, package)) {
    case PackageStatus::kOk:
      if (cutTexts) *cutTexts = TextsCutAtZero(in.file, package);
      return true;
    case PackageStatus::kNoTrailer:
      error = path + ": " + mkebook_messages::kNoTrailer;
      return false;
    case PackageStatus::kBadTable:
      error = path + ": " + mkebook_messages::UnreadableTable(package.trailer.m_nTableOffset);
      return false;
  }
  return false;
}

bool PackEBook(const std::string& program, const EBookPackage& package, const std::string& output,
               std::string& error) {
  ScopedFile in(_lopen(PathFromUtf8(program), OF_SHARED_READ));
  if (in.file == HFILE_ERROR) {
    error = OpenFailure(program);
    return false;
  }
  const int64_t size = BytesLeft(in.file);
  if (size > int64_t{std::numeric_limits<int32_t>::max()} || _llseek(in.file, 0, FILE_END) < 0) {
    error = program + ": " + mkebook_messages::kTwoGiBOrLarger;
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
      if (!LooksLikeDamagedEBook(in.file)) break;
      error = program + ": " + mkebook_messages::kDamagedEBookProgram;
      return false;
    case PackageStatus::kBadTable:
      error = program + ": " + mkebook_messages::kUnreadableTableBehindTrailer;
      return false;
  }
  tool_files::OutputFile out;
  if (!out.Open(output, program, error) ||
      !WritePackage(in.file, program, programLength, package, out, error)) {
    return false;
  }
  // Windows renames nothing over a file still open: repacking in place needs the program closed.
  _lclose(in.file);
  in.file = HFILE_ERROR;
  return out.Commit(error);
}

}  // namespace packing
