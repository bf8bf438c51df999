#include "tools/mkrebrander/stamp.h"

#include "formats/pe_signature.h"
#include "platform/file_io.h"
#include "platform/path.h"
#include "tools/common/output_file.h"
#include "tools/common/tool_files.h"
#include "tools/mkrebrander/mkrebrander_messages.h"

namespace stamping {

using namespace platform;
using formats::CFieldStream;
using formats::CInfoBlock;
using formats::CInfoTrailer;

using tool_files::CopyBytes;
using tool_files::CopyResult;
using tool_files::ScopedFile;

int64_t ProgramLength(const std::string& path) {
  ScopedFile in(_lopen(PathFromUtf8(path), OF_SHARED_READ));
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

bool StampRebrander(const std::string& input, const std::string& output, const CInfoBlock& info,
                    int32_t version, std::string& error, std::string* warning) {
  const int64_t programLength = ProgramLength(input);
  ScopedFile in(_lopen(PathFromUtf8(input), OF_SHARED_READ));
  if (programLength < 0 || in.file == HFILE_ERROR) {
    error = input + ": " + tool_files::SystemReason();
    return false;
  }
  formats::CCertificateTable signature;
  const bool signedInput =
      formats::FindTrailingCertificateTable(in.file, _llseek(in.file, 0, FILE_END), signature);
  if (_llseek(in.file, 0, FILE_BEGIN) != 0) {
    error = input + ": " + tool_files::SystemReason();
    return false;
  }
  tool_files::OutputFile out;
  if (!out.Open(output, input, error)) return false;
  CFieldStream stream(CFieldStream::kWrite, out.Handle());
  CInfoBlock block = info;
  CInfoTrailer trailer;
  trailer.m_nVersion = version;
  trailer.m_nInfoOffset = static_cast<int32_t>(programLength);
  const CopyResult copied = CopyBytes(in.file, out.Handle(), programLength);
  if (copied == CopyResult::kReadFailed) {
    error = input + ": " + tool_files::SystemReason();
    return false;
  }
  if (copied != CopyResult::kOk || !block.Transfer(stream) || !trailer.Transfer(stream)) {
    error = out.WriteFailure();
    return false;
  }
  // The headers lie in the program part: they go on pointing at the table
  // that was cut unless told otherwise.
  if (signedInput) {
    if (signature.m_nChecksumAt + 4 > programLength ||
        signature.m_nDirectoryEntryAt + 8 > programLength ||
        !formats::ForgetCertificateTable(out.Handle(), signature)) {
      error = out.WriteFailure();
      return false;
    }
    if (warning) {
      *warning = mkrebrander_messages::SignatureLeftOut(input, output);
    }
  }
  // Restamping in place: Windows renames nothing over a file still open.
  _lclose(in.file);
  in.file = HFILE_ERROR;
  return out.Commit(error);
}

}  // namespace stamping
