// The count and the copies of a list's pieces.
#include "piece_list.h"

#include <cstdint>

namespace {

// The '|' bytes of a text, eight bytes a step, one multiplication adding up
// the bits of a word.
std::size_t Separators(const char* text, std::size_t length) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    std::size_t count = 0;
    std::size_t at = 0;
    for (; at + sizeof(std::uint64_t) <= length; at += sizeof(std::uint64_t))
        count +=
            static_cast<std::size_t>(((PieceList::SeparatorBits(text + at) >> 7) * kOnes) >> 56);
    for (; at < length; ++at)
        count += text[at] == '|' ? 1 : 0;
    return count;
}

} // namespace

std::size_t PieceList::size() const {
    if (text.empty())
        return 0;
    return Separators(text.data(), text.size()) + (text.back() == '|' ? 0 : 1);
}

std::vector<std::string> PieceList::Texts() const {
    std::vector<std::string> pieces;
    pieces.reserve(size());
    for (std::string_view piece : *this)
        pieces.emplace_back(piece);
    return pieces;
}
