#include "tools/mkrebrander/stamp.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <vector>

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

int64_t ProgramLength(const std::string& path) {
  ScopedFile in(_lopen(path, OF_SHARED_READ));
  if (in.file == HFILE_ERROR) return -1;
  const int32_t length = _llseek(in.file, 0, FILE_END);
  if (length < 0) return -1;
  CFieldStream stream(CFieldStream::kRead, in.file);
  CInfoTrailer trailer;
  CInfoBlock block;
  const int32_t trailerAt = length - CInfoTrailer::kSize;
  const bool stamped = trailerAt >= 0 && _llseek(in.file, trailerAt, FILE_BEGIN) == trailerAt &&
                       trailer.Transfer(stream) && trailer.m_nInfoOffset >= 0 &&
                       _llseek(in.file, trailer.m_nInfoOffset, FILE_BEGIN) >= 0 &&
                       block.Transfer(stream) && _llseek(in.file, 0, FILE_CURRENT) == trailerAt;
  return stamped ? trailer.m_nInfoOffset : length;
}

bool StampRebrander(const std::string& input, const std::string& output, const CInfoBlock& info,
                    int32_t version, std::string& error) {
  const int64_t programLength = ProgramLength(input);
  struct stat st;
  if (programLength < 0 || stat(input.c_str(), &st) != 0) {
    error = "cannot read " + input;
    return false;
  }
  const std::string temporary = output + ".partial";
  bool ok = false;
  {
    ScopedFile in(_lopen(input, OF_SHARED_READ));
    ScopedFile out(_lcreat(temporary, st.st_mode & 07777));
    if (out.file == HFILE_ERROR) {
      error = "cannot write " + output;
      return false;
    }
    CFieldStream stream(CFieldStream::kWrite, out.file);
    CInfoBlock block = info;
    CInfoTrailer trailer;
    trailer.m_nVersion = version;
    trailer.m_nInfoOffset = static_cast<int32_t>(programLength);
    ok = in.file != HFILE_ERROR && CopyBytes(in.file, out.file, programLength) &&
         block.Transfer(stream) && trailer.Transfer(stream) && FlushFile(out.file);
  }
  if (ok) ok = chmod(temporary.c_str(), st.st_mode & 07777) == 0;
  std::error_code renamed;
  // Replaces the output where it exists, on Windows too.
  if (ok) std::filesystem::rename(temporary, output, renamed);
  ok = ok && !renamed;
  if (!ok) {
    std::remove(temporary.c_str());
    error = "cannot write " + output;
  }
  return ok;
}

}  // namespace stamping
