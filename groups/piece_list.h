// A '|'-separated list as the settings file gives it, read piece by piece:
// every piece before a '|' counts, even an empty one (an empty extension
// catches files without one); an empty piece after the last '|' does not.
// The list is one text that someone else keeps (the catalog's arena), so a
// group costs no allocation however many pieces it lists.
#pragma once

#include <cstddef>
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
    // The count of pieces: one more than the separators, none for no text.
    std::size_t size() const;
    // The pieces as texts of their own, for tools and comparisons.
    std::vector<std::string> Texts() const;

    bool operator==(const PieceList& other) const { return Texts() == other.Texts(); }

private:
    std::string_view text;
};
