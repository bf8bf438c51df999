// What the readers of this layer say when the rebrander cannot read itself.
#pragma once

namespace formats {

// "Can't open " + the rebrander's own path.
inline constexpr char kCantOpen[] = "Can't open ";
inline constexpr char kErrorReadingRebrander[] =
    "Error reading rebranding program.\n\nThis application may be corrupt. If you downloaded it "
    "from the Internet, please download it again.";

}  // namespace formats
