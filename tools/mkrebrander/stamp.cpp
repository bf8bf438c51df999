#include "tools/mkrebrander/stamp.h"

#include <filesystem>

#include "formats/pe_signature.h"
#include "platform/durable_files.h"
#include "platform/file_io.h"
#include "tools/common/tool_files.h"

namespace stamping {

using namespace platform;
using formats::CFieldStream;
using formats::CInfoBlock;
using formats::CInfoTrailer;

using tool_files::CopyBytes;
using tool_files::ScopedFile;

int64_t ProgramLength(const Path& path) {
  ScopedFile in(_lopen(path, OF_SHARED_READ));
  if (in.file == HFILE_ERROR) return -1;
  const int32_t length = _llseek(in.file, 0, FILE_END);
  if (length < 0) return -1;
  CFieldStream stream(CFieldStream::kRead, in.file);
  CInfoTrailer trailer;
  CInfoBlock block;
  const int32_t trailerAt = formats::StampEnd(in.file, length) - CInfoTrailer::kSize;
  const bool stamped = trailerAt >= 0 && _llseek(in.file, trailerAt, FILE_BEGIN) == trailerAt &&
                       trailer.Transfer(stream) && trailer.m_nInfoOffset >= 0 &&
                       _llseek(in.file, trailer.m_nInfoOffset, FILE_BEGIN) >= 0 &&
                       block.Transfer(stream) && _llseek(in.file, 0, FILE_CURRENT) == trailerAt;
  return stamped ? trailer.m_nInfoOffset : formats::LengthBeforeSignature(in.file, length);
}

bool StampRebrander(const Path& input, const Path& output, const CInfoBlock& info, int32_t version,
                    std::string& error, std::string* warning) {
  namespace fs = std::filesystem;
  const int64_t programLength = ProgramLength(input);
  std::error_code failed;
  const fs::perms permissions = fs::status(input, failed).permissions();
  if (programLength < 0 || failed) {
    error = "cannot read " + Utf8FromPath(input);
    return false;
  }
  const Path temporary = output + PathFromUtf8(".partial");
  bool ok = false;
  {
    ScopedFile in(_lopen(input, OF_SHARED_READ));
    ScopedFile out(_lcreat(temporary, static_cast<unsigned>(permissions & fs::perms::mask)));
    if (out.file == HFILE_ERROR) {
      error = "cannot write " + Utf8FromPath(output);
      return false;
    }
    CFieldStream stream(CFieldStream::kWrite, out.file);
    CInfoBlock block = info;
    CInfoTrailer trailer;
    trailer.m_nVersion = version;
    trailer.m_nInfoOffset = static_cast<int32_t>(programLength);
    formats::CCertificateTable signature;
    const bool signedInput =
        in.file != HFILE_ERROR &&
        formats::FindTrailingCertificateTable(in.file, _llseek(in.file, 0, FILE_END), signature);
    ok = in.file != HFILE_ERROR && _llseek(in.file, 0, FILE_BEGIN) == 0 &&
         CopyBytes(in.file, out.file, programLength) && block.Transfer(stream) &&
         trailer.Transfer(stream);
    // The headers lie in the program part: they go on pointing at the table
    // that was cut unless told otherwise.
    if (ok && signedInput) {
      ok = signature.m_nChecksumAt + 4 <= programLength &&
           signature.m_nDirectoryEntryAt + 8 <= programLength &&
           formats::ForgetCertificateTable(out.file, signature);
      if (ok && warning) {
        *warning = Utf8FromPath(input) + " was signed; its signature does not cover the new " +
                   "stamp and was left out: sign " + Utf8FromPath(output) + " again";
      }
    }
    ok = ok && FlushFile(out.file);
  }
  // The input's permissions, exactly (the umask may have taken some), then
  // the output replaced where it exists, on Windows too.
  if (ok) fs::permissions(temporary, permissions, failed);
  if (ok && !failed) fs::rename(temporary, output, failed);
  ok = ok && !failed;
  if (!ok) {
    fs::remove(temporary, failed);
    error = "cannot write " + Utf8FromPath(output);
  }
  return ok;
}

}  // namespace stamping
