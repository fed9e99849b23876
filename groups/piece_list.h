// A '|'-separated list as the settings file gives it, read piece by piece:
// every piece before a '|' counts, even an empty one (an empty extension
// catches files without one); an empty piece after the last '|' does not.
// The list is one text that someone else keeps (the catalog's arena), so a
// group costs no allocation however many pieces it lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

class PieceList {
public:
    PieceList() = default;
    explicit PieceList(std::string_view list) : text(list) {}

    bool empty() const { return text.empty(); }
    // Hands the pieces to `take` in order until it answers false; true when
    // it took them all. The separators are found eight bytes a step: without
    // a branch per byte, whose exit at each piece's end a processor
    // mispredicts, thousands of lists are cut sooner.
    template <typename Take> bool ForEachPiece(Take take) const;
    // The count of pieces the plugin answers by, as ForEachPiece hands them
    // over: one more than the separators, less the empty piece after a final
    // '|' ("a|" holds one); none for no text.
    std::size_t size() const;
    // The pieces as texts of their own, for tools and comparisons.
    std::vector<std::string> Texts() const;

    bool operator==(const PieceList& other) const { return Texts() == other.Texts(); }

private:
    // The high bit of each byte of the eight at `at` that is a '|': a '|'
    // becomes zero, and each zero byte (alone, without carrying into its
    // neighbours) sets its high bit. The first byte is the lowest, as x86
    // loads a word.
    static std::uint64_t SeparatorBits(const char* at) {
        constexpr std::uint64_t kOnes = 0x0101010101010101ull;
        constexpr std::uint64_t kLow = 0x7F * kOnes;
        std::uint64_t word;
        std::memcpy(&word, at, sizeof(word));
        word ^= '|' * kOnes;
        return ~(((word & kLow) + kLow) | word | kLow);
    }

    std::string_view text;
};

template <typename Take> bool PieceList::ForEachPiece(Take take) const {
    const char* const data = text.data();
    const std::size_t length = text.size();
    std::size_t start = 0;
    std::size_t at = 0;
    for (; at + sizeof(std::uint64_t) <= length; at += sizeof(std::uint64_t)) {
        for (std::uint64_t bits = SeparatorBits(data + at); bits != 0; bits &= bits - 1) {
            const std::size_t end = at + static_cast<std::size_t>(__builtin_ctzll(bits) >> 3);
            if (!take(std::string_view(data + start, end - start)))
                return false;
            start = end + 1;
        }
    }
    for (; at < length; ++at) {
        if (data[at] == '|') {
            if (!take(std::string_view(data + start, at - start)))
                return false;
            start = at + 1;
        }
    }
    return start >= length || take(std::string_view(data + start, length - start));
}
