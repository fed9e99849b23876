// The count and the copies of a list's pieces.
#include "piece_list.h"

#include <cstdint>
#include <cstring>

namespace {

// The '|' bytes of a text, eight bytes a step: a byte equal to '|' becomes
// zero, each zero byte (alone, without carrying into its neighbours) sets its
// high bit, and one multiplication adds up the bits.
std::size_t Separators(const char* text, std::size_t length) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kLow = 0x7F * kOnes;
    std::size_t count = 0;
    std::size_t at = 0;
    for (; at + sizeof(std::uint64_t) <= length; at += sizeof(std::uint64_t)) {
        std::uint64_t word;
        std::memcpy(&word, text + at, sizeof(word));
        word ^= '|' * kOnes;
        const std::uint64_t zero = ~(((word & kLow) + kLow) | word | kLow);
        count += static_cast<std::size_t>(((zero >> 7) * kOnes) >> 56);
    }
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
