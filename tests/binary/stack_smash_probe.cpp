// Writes COUNT bytes into an 8-byte stack array: past 8, the stack protector
// must end the process when the function returns, before it prints that it
// survived. Built with the shipped files' flags (and, on Windows, their own
// guard), so a tree whose protection is missing or never seeded fails.
// Usage: stack_smash_probe COUNT
#include <cstdio>
#include <cstdlib>

namespace {

// The index stays opaque to the compiler, so it neither warns about the
// overrun nor proves it away.
__attribute__((noinline)) int Fill(std::size_t count) {
    char buffer[8];
    volatile char* at = buffer;
    for (std::size_t i = 0; i < count; ++i)
        at[i] = 'x';
    return at[0];
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const int first = Fill(std::strtoul(argv[1], nullptr, 10));
    std::printf("survived %d\n", first);
    return 0;
}
