// The path-piece list's insertion and release.
#include "fsutil/path_piece_list.h"

PathPieceList::~PathPieceList() {
    PathPieceNode* node = first;
    while (node != nullptr) {
        PathPieceNode* next = node->next;
        delete node;
        node = next;
    }
}

PathPieceNode* PathPieceList::InsertAfter(PathPieceNode* after, const char* text) {
    PathPieceNode* node = new PathPieceNode;
    BoundedCopy(node->text, kPathBufferSize, text);
    node->next = nullptr;
    node->previous = nullptr;
    if (first == nullptr) {
        first = last = node;
    } else if (after == nullptr) {
        node->next = first;
        first->previous = node;
        first = node;
    } else if (after == last) {
        after->next = node;
        node->previous = after;
        last = node;
    } else {
        node->next = after->next;
        node->previous = after;
        after->next->previous = node;
        after->next = node;
    }
    return node;
}
