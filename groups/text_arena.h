// Texts that keep their place as long as the arena lives: each is copied
// into a block, or a whole block is handed over, and a block is never moved,
// only followed by another.
// A table of thousands of lists costs a few allocations, not one per list,
// and the index can point at the texts instead of copying them.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

class TextArena {
public:
    // A copy of the text that stays where it is. Only the tests' AddGroup
    // (a table built without a settings file) keeps texts one by one; a
    // load adopts its listing whole.
    std::string_view Keep(std::string_view text);
    // Holds a block of texts as it is, so that views into it stay valid as
    // long as the arena, without a copy.
    void Adopt(std::unique_ptr<char[]> block);

private:
    static constexpr std::size_t kBlockSize = 4096;

    void StartBlock(std::size_t size);

    std::vector<std::unique_ptr<char[]>> blocks;
    std::size_t used = 0;
    std::size_t room = 0;
};
