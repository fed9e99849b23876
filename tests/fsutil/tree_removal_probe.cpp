// tree_removal_probe ROOT DELETE_FILES: removes the tree and prints the
// result. Run by tree_removal_drill.cmake around links that the host system
// made itself, which a Windows program under Wine cannot make.
#include "fsutil/directory_tree.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    std::printf("%d\n", RemoveDirectoryTree(argv[1], std::atoi(argv[2])));
    return 0;
}
