// Writes a rebrander: a copy of a bare program with the rebranding information
// block and its trailer appended.
#pragma once

#include <cstdint>
#include <string>

#include "formats/info_records.h"

namespace stamping {

// Length of the program part of an executable: the offset of its stamp when it
// carries one of ours (block directly followed by the trailer), else its length.
// Returns -1 when the file cannot be read.
int64_t ProgramLength(const std::string& path);

// Copies the program part of `input` to `output` and appends `info` and a
// trailer carrying `version`. The output keeps the input's permissions and is
// replaced only when everything was written. On failure returns false with a
// one-line reason in `error`.
bool StampRebrander(const std::string& input, const std::string& output,
                    const formats::CInfoBlock& info, int32_t version, std::string& error);

}  // namespace stamping
