// The handle of the file services, on its own: the helpers of this layer
// take and give handles without needing the file API itself.
#pragma once

namespace platform {

// On Windows the file's HANDLE as an int; elsewhere the descriptor.
using HFILE = int;
inline constexpr HFILE HFILE_ERROR = -1;

}  // namespace platform
