// Blocks of kept texts.
#include "groups/text_arena.h"

#include <cstring>

std::string_view TextArena::Keep(std::string_view text) {
    if (text.empty())
        return std::string_view();
    if (room - used < text.size())
        StartBlock(text.size() > kBlockSize ? text.size() : kBlockSize);
    char* at = blocks.back().get() + used;
    std::memcpy(at, text.data(), text.size());
    used += text.size();
    return std::string_view(at, text.size());
}

void TextArena::StartBlock(std::size_t size) {
    blocks.push_back(std::unique_ptr<char[]>(new char[size]));
    used = 0;
    room = size;
}

void TextArena::Adopt(std::unique_ptr<char[]> block) {
    // The adopted block goes before the one being filled, which keeps its
    // room for later copies.
    blocks.insert(blocks.empty() ? blocks.end() : blocks.end() - 1, std::move(block));
}
