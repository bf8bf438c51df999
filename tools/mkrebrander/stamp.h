// Writes a rebrander: a copy of a bare program with the rebranding information
// block and its trailer appended. Paths are UTF-8, as everywhere in the tools.
#pragma once

#include <cstdint>
#include <string>

#include "formats/info_records.h"

namespace stamping {

// Length of the program part of an executable: the offset of its stamp when it
// carries one of ours (block directly followed by the trailer, and that by
// nothing but a certificate table), else its length without such a table.
// Returns -1 when the file cannot be read.
int64_t ProgramLength(const std::string& path);

// Copies the program part of `input` to `output` and appends `info` and a
// trailer carrying `version`. A signed input's signature no longer holds for
// the output: it is left out, the headers say so, and `warning` (when given)
// tells the user to sign the output again. The output keeps the input's
// permissions and is replaced only when everything was written. On failure
// returns false with a one-line reason in `error`.
bool StampRebrander(const std::string& input, const std::string& output,
                    const formats::CInfoBlock& info, int32_t version, std::string& error,
                    std::string* warning = nullptr);

}  // namespace stamping
