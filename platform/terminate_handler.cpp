// The handler a C++ runtime calls when an exception escapes or a noexcept
// function throws. The library's default prints the exception's type and
// pulls in the whole name demangler to do so; a plugin inside a host has no
// console to print to, so this one only ends the process, as the default
// then does. Linked into the Windows plugin, whose runtime is static.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
