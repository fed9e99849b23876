// The command a mistyped word was meant to be, by the number of typing slips
// between them.
#include "tools/lumbrasket/command_word.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

// More slips than this and the word is more likely a file's name than a
// command typed wrong.
constexpr std::size_t kMostSlips = 2;

// The fewest slips that turn one word into the other, a swap of two
// neighbouring letters counted as one: the slip fingers make most.
std::size_t SlipCount(const std::string& typed, const std::string& command) {
    const std::size_t rows = typed.size() + 1;
    const std::size_t columns = command.size() + 1;
    std::vector<std::size_t> slips(rows * columns);
    for (std::size_t i = 0; i < rows; ++i) {
        for (std::size_t j = 0; j < columns; ++j) {
            if (i == 0 || j == 0) {
                slips[i * columns + j] = i + j;
                continue;
            }
            const std::size_t changed = typed[i - 1] == command[j - 1] ? 0 : 1;
            std::size_t fewest =
                std::min({slips[(i - 1) * columns + j] + 1, slips[i * columns + j - 1] + 1,
                          slips[(i - 1) * columns + j - 1] + changed});
            if (i > 1 && j > 1 && typed[i - 1] == command[j - 2] && typed[i - 2] == command[j - 1])
                fewest = std::min(fewest, slips[(i - 2) * columns + j - 2] + 1);
            slips[i * columns + j] = fewest;
        }
    }
    return slips.back();
}

} // namespace

const char* NearestCommand(const std::string& word) {
    static const char* const kCommands[] = {"check", "init", "install", "uninstall"};
    const char* nearest = nullptr;
    std::size_t nearestSlips = std::min(kMostSlips + 1, word.size());
    for (const char* command : kCommands) {
        const std::string name = command;
        // A word far longer or shorter cannot be near; a long path is not
        // measured letter by letter.
        if (word.size() > name.size() + kMostSlips || word.size() + kMostSlips < name.size())
            continue;
        const std::size_t slips = SlipCount(word, name);
        if (slips < nearestSlips) {
            nearest = command;
            nearestSlips = slips;
        }
    }
    return nearest;
}
