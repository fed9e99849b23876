// The count and the copies of a list's pieces.
#include "groups/piece_list.h"

std::size_t PieceList::size() const {
    std::size_t count = 0;
    ForEachPiece([&count](std::string_view) {
        ++count;
        return true;
    });
    return count;
}

std::vector<std::string> PieceList::Texts() const {
    std::vector<std::string> pieces;
    pieces.reserve(size());
    ForEachPiece([&pieces](std::string_view piece) {
        pieces.emplace_back(piece);
        return true;
    });
    return pieces;
}
