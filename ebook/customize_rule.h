// Whether an E-Book may be customized now: once only, unless its rebrander
// was stamped to allow repeats. The refusal's text is the window's to show.
#pragma once

namespace ebook {

// `rebranded`: the table's mark; `allowRepeat`: the stamp's permission.
constexpr bool MayCustomize(bool rebranded, bool allowRepeat) {
  return !rebranded || allowRepeat;
}

}  // namespace ebook
