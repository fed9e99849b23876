// Terminal columns of a text: UTF-8 with the ranges of wide and combining
// characters that terminals agree on; other code pages by their bytes.
#include "platform/text/display_width.h"

#include "platform/code_page.h"
#include "platform/text/utf8.h"

#include <cstdint>

namespace {

struct Range {
    std::uint32_t first, last;
};

// Characters drawn two columns wide: Hangul Jamo, CJK and its punctuation,
// Hiragana and Katakana, Hangul syllables, compatibility ideographs, full-width
// forms, the pictographs and emoji, and the supplementary ideographs.
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
    {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F},
    {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};
// Characters that combine with the one before and take no column.
constexpr Range kCombining[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A},
    {0x064B, 0x065F}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F},
    {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F},
};

template <std::size_t N> bool In(const Range (&ranges)[N], std::uint32_t c) {
    for (const Range& range : ranges)
        if (c >= range.first && c <= range.last)
            return true;
    return false;
}

} // namespace

std::size_t DisplayWidth(std::string_view text) {
    if (MultibyteCodePage() != kUtf8CodePage)
        return text.size();
    std::size_t columns = 0;
    while (!text.empty()) {
        const char* const end = text.data() + text.size();
        const std::uint32_t c = Utf8Character(text.data(), end);
        columns += In(kCombining, c) ? 0 : In(kWide, c) ? 2 : 1;
        text.remove_prefix(
            static_cast<std::size_t>(Utf8CharacterEnd(text.data(), end) - text.data()));
    }
    return columns;
}
