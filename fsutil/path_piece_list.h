// PathPieceList: a doubly linked list of path texts (each at most 259 bytes)
// in a chosen order. Nodes are inserted, never removed, and all are released
// with the list.
#pragma once

#include "settings/bounded_string.h"

struct PathPieceNode {
    char text[kPathBufferSize];
    PathPieceNode* next;
    PathPieceNode* previous;
};

class PathPieceList {
public:
    PathPieceList() = default;
    ~PathPieceList();
    PathPieceList(const PathPieceList&) = delete;
    PathPieceList& operator=(const PathPieceList&) = delete;

    // The new node, inserted after `after` (null: at the front; ignored in an
    // empty list). Out of memory raises std::bad_alloc before the list is
    // touched.
    PathPieceNode* InsertAfter(PathPieceNode* after, const char* text);
    // The new node, inserted at the end.
    PathPieceNode* Append(const char* text) { return InsertAfter(last, text); }

    PathPieceNode* first = nullptr;
    PathPieceNode* last = nullptr;
};
