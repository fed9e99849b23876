// Terminal columns of names, as a table of them is padded.
#include "platform/code_page.h"
#include "platform/text/display_width.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplayWidthTest, CountsWhatATerminalShows) {
    struct Row {
        const char* text;
        std::size_t utf8;  // columns where names are UTF-8
        std::size_t bytes; // in an 8-bit code page: one column a byte
    };
    const Row rows[] = {
        {"notes.txt", 9, 9},
        {"Gr\xC3\xBC\xC3\x9F"
         "e.txt",
         9, 11},
        {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.pdf", 10, 13}, // three ideographs
        {"e\xCC\x81", 1, 3},                                  // e and a combining acute
        {"\xFF\xC3", 2, 2},                                   // bytes that start no character
        {"\xF0\x9F\x98\x80", 2, 4},                           // an emoji
    };
    for (const Row& row : rows)
        EXPECT_EQ(MultibyteCodePage() == kUtf8CodePage ? row.utf8 : row.bytes,
                  DisplayWidth(row.text))
            << row.text;
}

} // namespace
