// The stack protector's guard value and its failure handler, for the
// Windows files (Linux has both from its C library, the guard seeded by the
// kernel). The compiler's own runtime for them seeds the guard in a
// constructor that opens a cryptographic provider, loading advapi32's
// crypto libraries inside the host, under its loader lock, whenever the
// plugin is loaded. These need no library and import nothing.
//
// The seed mixes what differs from one load to the next without asking the
// system: the processor's time-stamp counter, and where the system put this
// module and the loading thread's stack (both randomised per load). That is
// no cryptographic secret, but the guard only has to be unknown to a
// settings file or a file name written in advance, which cannot know the
// cycle a file manager loaded us at.
#include <cstdint>
#include <x86intrin.h>

extern "C" {

// Nonzero before the seed, so that the guard is never the zero a string
// overrun writes; the seed keeps its low byte zero for the same reason, as
// other systems' guards do.
std::uintptr_t __stack_chk_guard = 0x2f8e6d1b7c954a00u & UINTPTR_MAX;

// Ends the process at once: the stack is no longer to be trusted, not even
// for an exception handler of the host (a fast-fail bypasses them all).
[[noreturn]] void __stack_chk_fail() {
    __asm__ __volatile__("int $0x29" : : "c"(2)); // FAST_FAIL_STACK_COOKIE_CHECK_FAILURE
    __builtin_trap();
}

} // extern "C"

namespace {

// The value's bits mixed, so that values that differ in a few bits give
// results that differ in many.
std::uint64_t Mixed(std::uint64_t value) {
    value ^= value >> 30;
    value *= 0xbf58476d1ce4e5b9u;
    value ^= value >> 27;
    value *= 0x94d049bb133111ebu;
    return value ^ (value >> 31);
}

// Runs first among the file's constructors (101 is the earliest a program
// may ask for), when no function of ours that checks the guard is on the
// stack: a function that did would find its saved copy changed on return.
__attribute__((constructor(101), no_stack_protector)) void SeedStackGuard() {
    std::uint64_t seed = __rdtsc();
    const std::uint64_t stack = reinterpret_cast<std::uintptr_t>(&seed);
    const std::uint64_t module = reinterpret_cast<std::uintptr_t>(&__stack_chk_guard);
    seed = Mixed(seed ^ Mixed(stack ^ (module << 20)));
    __stack_chk_guard = static_cast<std::uintptr_t>(seed) & ~std::uintptr_t{0xFF};
}

} // namespace
