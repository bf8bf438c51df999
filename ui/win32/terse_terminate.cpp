// Replaces the C++ runtime's default terminate handler, which names the
// uncaught exception's type through a demangler of some 45 KB. A Windows
// program has no console to print that to; it just ends.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
  std::abort();
}

}  // namespace __gnu_cxx
