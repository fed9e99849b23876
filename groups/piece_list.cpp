// The count and the copies of a list's pieces.
#include "piece_list.h"

#include <algorithm>

std::size_t PieceList::size() const {
    if (text.empty())
        return 0;
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '|')) +
           (text.back() == '|' ? 0 : 1);
}

std::vector<std::string> PieceList::Texts() const {
    std::vector<std::string> pieces;
    pieces.reserve(size());
    for (std::string_view piece : *this)
        pieces.emplace_back(piece);
    return pieces;
}
