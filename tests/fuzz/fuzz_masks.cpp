// Name masks through their index against the plain walk of every mask in
// number order: the same group and the same deciding mask, under the code
// page in effect (UTF-8 on Linux) and, where the system has it, double-byte
// code page 932. Tables and names come as raw bytes, or (first byte odd)
// spelt in pieces that collide often: letters in both cases, wildcards,
// stray and lead bytes, characters of two to four bytes.
#include "platform/code_page.h"
#include "tests/fuzz/fuzz_input.h"
#include "groups/group_catalog.h"
#include "tests/support/mask_walk.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// clang-format off
const char* const kPieces[] = {
    "a", "A", "b", ".", "*", "?", "|", "*.", "\x81", "\xC3", "\xC3\xA9", "\xE3\x81\x82",
    "\xF0\x9F\x98\x80", "\x81\x40", "\x82" "a", "\x82" "A"};
// clang-format on

std::string Spelt(const std::string& bytes, bool inPieces) {
    if (!inPieces)
        return bytes;
    std::string text;
    for (unsigned char byte : bytes)
        text += kPieces[byte % (sizeof(kPieces) / sizeof(kPieces[0]))];
    return text;
}

void CheckAll(const GroupCatalog& catalog, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (!LookupAgreesWithWalk(catalog, name)) {
            std::fprintf(stderr, "finding: the mask index and the walk differ under code page %d\n",
                         MultibyteCodePage());
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::uint8_t shape = input.Byte();
    const bool inPieces = (shape & 1) != 0;
    GroupCatalog catalog;
    const int groups = 1 + (shape >> 1) % 8;
    for (int number = 0; number < groups; ++number)
        catalog.AddGroup(number, "G", number % 3 == 0 ? "a|" : "",
                         Spelt(input.Text(inPieces ? 16 : 48), inPieces));
    std::vector<std::string> names;
    while (!input.Empty() && names.size() < 16)
        names.push_back(Spelt(input.Text(inPieces ? 10 : 30), inPieces));
    // Each mask as a name too: a literal one then matches itself.
    for (const FileGroup& group : catalog.Groups())
        for (const std::string& mask : group.masks.Texts())
            names.push_back(mask);

    CheckAll(catalog, names);
    const int previous = MultibyteCodePage();
    if (SetMultibyteCodePage(932)) {
        CheckAll(catalog, names);
        SetMultibyteCodePage(previous);
    }
    return 0;
}
