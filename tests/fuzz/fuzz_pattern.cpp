// Name patterns from fuzzed bytes: the matcher agrees with the plain
// reference (both texts cut into characters, then matched by dynamic
// programming) under the code page in effect and, where the system has it,
// under double-byte code page 932. Each text sits in a buffer of exactly its
// size, so a read past either end is found.
#include "platform/code_page.h"
#include "tests/fuzz/fuzz_input.h"
#include "platform/text/name_pattern.h"
#include "tests/support/name_pattern_reference.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

void CheckAgainstReference(const std::string& pattern, const std::string& name) {
    std::unique_ptr<char[]> patternCopy(new char[pattern.size()]);
    std::unique_ptr<char[]> nameCopy(new char[name.size()]);
    std::memcpy(patternCopy.get(), pattern.data(), pattern.size());
    std::memcpy(nameCopy.get(), name.data(), name.size());
    const bool matches =
        MatchesNamePattern(patternCopy.get(), pattern.size(), nameCopy.get(), name.size());
    if (matches != ReferenceMatches(pattern, name)) {
        std::fprintf(stderr, "finding: the matcher says %d under code page %d\n", matches,
                     MultibyteCodePage());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::string pattern = input.Text(255);
    std::string name = input.Rest();
    name.resize(std::min<std::size_t>(name.size(), 300));

    CheckAgainstReference(pattern, name);
    const int previous = MultibyteCodePage();
    if (SetMultibyteCodePage(932)) {
        CheckAgainstReference(pattern, name);
        SetMultibyteCodePage(previous);
    }
    return 0;
}
