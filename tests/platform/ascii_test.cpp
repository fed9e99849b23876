// ASCII case folding: the eight-bytes-at-once form must fold exactly as the
// byte rule does, for every byte value in every position of the word, or
// the extension index would file a name under one hash and look it up under
// another.
#include "platform/text/ascii.h"

#include <gtest/gtest.h>

namespace {

TEST(AsciiTest, WordFoldingIsTheByteRuleInEveryPosition) {
    // Neighbours that fold ('Q') and that do not ('q', 0xDA) around each byte.
    for (const unsigned char neighbour : {0x51, 0x71, 0xDA}) {
        for (int position = 0; position < 8; ++position) {
            for (int byte = 0; byte < 256; ++byte) {
                std::uint64_t word = 0;
                std::uint64_t expected = 0;
                for (int i = 0; i < 8; ++i) {
                    const unsigned char value =
                        i == position ? static_cast<unsigned char>(byte) : neighbour;
                    word |= static_cast<std::uint64_t>(value) << (8 * i);
                    expected |= static_cast<std::uint64_t>(
                                    static_cast<unsigned char>(FoldAscii(static_cast<char>(value))))
                                << (8 * i);
                }
                ASSERT_EQ(expected, FoldAsciiWord(word))
                    << "byte " << byte << " at " << position << " beside " << int(neighbour);
            }
        }
    }
}

} // namespace
