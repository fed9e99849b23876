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
    class Iterator {
    public:
        Iterator(std::string_view list, std::size_t start) : list(list), start(start) { Cut(); }
        std::string_view operator*() const {
            return std::string_view(list.data() + start, end - start);
        }
        Iterator& operator++() {
            start = end + 1;
            Cut();
            return *this;
        }
        bool operator!=(const Iterator& other) const { return start != other.start; }

    private:
        // A start at or past the list's end is the end of the pieces. A
        // piece is a few bytes: a plain loop finds its end sooner than a
        // library search, whose call costs more than the bytes it reads.
        void Cut() {
            if (start >= list.size()) {
                start = end = list.size();
                return;
            }
            for (end = start; end < list.size() && list[end] != '|'; ++end) {
            }
        }
        std::string_view list;
        std::size_t start;
        std::size_t end = 0;
    };

    PieceList() = default;
    explicit PieceList(std::string_view list) : text(list) {}

    Iterator begin() const { return Iterator(text, 0); }
    Iterator end() const { return Iterator(text, text.size()); }
    bool empty() const { return text.empty(); }
    // The same pieces as the iteration, handed to `take` in order, found
    // eight bytes a step: without a branch per byte, whose exit at each
    // piece's end a processor mispredicts, thousands of lists cut sooner.
    template <typename Take> void ForEachPiece(Take take) const;
    // The count of pieces: one more than the separators, none for no text.
    std::size_t size() const;
    // The pieces as texts of their own, for tools and comparisons.
    std::vector<std::string> Texts() const;

    bool operator==(const PieceList& other) const { return Texts() == other.Texts(); }

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

private:
    std::string_view text;
};

template <typename Take> void PieceList::ForEachPiece(Take take) const {
    const char* const data = text.data();
    const std::size_t length = text.size();
    std::size_t start = 0;
    std::size_t at = 0;
    for (; at + sizeof(std::uint64_t) <= length; at += sizeof(std::uint64_t)) {
        for (std::uint64_t bits = SeparatorBits(data + at); bits != 0; bits &= bits - 1) {
            const std::size_t end = at + static_cast<std::size_t>(__builtin_ctzll(bits) >> 3);
            take(std::string_view(data + start, end - start));
            start = end + 1;
        }
    }
    for (; at < length; ++at) {
        if (data[at] == '|') {
            take(std::string_view(data + start, at - start));
            start = at + 1;
        }
    }
    if (start < length)
        take(std::string_view(data + start, length - start));
}
