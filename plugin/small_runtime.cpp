// Parts of the C++ runtime made small for the Windows plugin, whose runtime
// is linked in statically: every byte of it ships. Linked into the Windows
// plugin only (never the tool, the tests or the Linux plugin). It relies on
// the compiler runtime's internal names (__gnu_cxx::__verbose_terminate_handler,
// std::__throw_*): the definitions here take their place at link time, so a
// compiler whose runtime names them otherwise links its own again, and the
// plugin grows without failing.
//
// The handler a C++ runtime calls when an exception escapes or a noexcept
// function throws. The library's default prints the exception's type and
// pulls in the whole name demangler to do so; a plugin inside a host has no
// console to print to, so this one only ends the process, as the default
// then does.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

// The runtime's throw helpers for its containers' rare errors (a length past
// the largest size, a bad array length). The library's own bring with them
// every exception class and its string code; here, a request the plugin
// cannot meet is an exhaustion of memory, which the plugin catches and
// survives.
#include <new>

namespace std {
void __throw_bad_alloc() {
    throw std::bad_alloc();
}
void __throw_length_error(const char*) {
    throw std::bad_alloc();
}
void __throw_bad_array_new_length() {
    throw std::bad_alloc();
}
void __throw_logic_error(const char*) {
    throw std::bad_alloc();
}
void __throw_out_of_range_fmt(const char*, ...) {
    throw std::bad_alloc();
}
} // namespace std
