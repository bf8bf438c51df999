// What would ship broken in an E-Book's package, found before it ships: the
// checks that `mkebook check`, `pack`, `mkrebrander --for-ebook` and `bundle`
// all run.
#pragma once

#include <string>
#include <vector>

#include "tools/mkebook/ebook_package.h"

namespace packing {

struct PackageFindings {
  std::vector<std::string> refusals;  // any one stops the work
  std::vector<std::string> warnings;  // shown, the work goes on
};

// The table and trailer: flags other than 0 or 1, a negative version, empty
// or repeated idents refused; types the rebrander offers no page for, and a
// table with nothing to customize, warned of.
PackageFindings CheckPackage(const EBookPackage& package);

// A program that ends like a damaged E-Book: an E-Book trailer's start within
// its last bytes, but no whole trailer at its end (a cut-short download).
// Packing it would stack a second table behind the broken one.
bool LooksLikeDamagedEBook(platform::HFILE file);

// A signed Windows program: its certificate table ends the file. An E-Book
// must not be signed: packing appends behind the signature, signing after
// packing hides the trailer, and the buyer's first Customize would break any
// signature that survived.
bool IsSignedProgram(const std::string& path);

}  // namespace packing
