// The line editor install uses on Total Commander's settings: any file comes
// back byte for byte when nothing is changed, in whatever encoding its first
// bytes tell, and a key put is the key read, whatever the lines around it
// hold.
#include "tests/fuzz/fuzz_input.h"
#include "tools/install/ini_lines.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "finding: %s\n", what);
        std::abort();
    }
}

// A name the file may already hold, in a few letters; a value of printable
// ASCII without blanks or quotes, which a reader would change and which a
// UTF-16 file holds as they are.
std::string Name(FuzzInput& input) {
    static const char* const kNames[] = {"a", "A", "b", "Colors", "colors", "x y", "k1"};
    return kNames[input.Byte() % (sizeof kNames / sizeof kNames[0])];
}
std::string Value(FuzzInput& input) {
    std::string value;
    for (char c : input.Text(12))
        if (c > ' ' && c < '\x7F' && c != '"' && c != '\'')
            value += c;
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::string text = input.Text(255) + input.Text(255);
    IniLines lines(text);
    Check(lines.Text() == text, "an unchanged file came back changed");
    while (!input.Empty()) {
        const std::string section = Name(input);
        const std::string key = Name(input);
        if (input.Byte() % 4 == 0) {
            lines.Drop(section, key);
            continue;
        }
        const std::string value = Value(input);
        lines.Put(section, key, value);
        Check(lines.Get(section, key) == value, "a key put was not the key read");
        Check(IniLines(lines.Text()).Get(section, key) == value,
              "a key put was lost when the text was read again");
    }
    return 0;
}
