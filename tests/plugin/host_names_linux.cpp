// Linux: names are UTF-8 bytes, made and passed as they are.
#include "tests/plugin/host_names.h"

#include <filesystem>
#include <fstream>

int HostCodePage() {
    return 65001;
}

std::string HostPathOf(const std::string& root, const std::string& utf8Relative) {
    return (std::filesystem::path(root) / utf8Relative).string();
}

bool MakeEntryByUnicodeName(const std::string& root, const std::string& utf8Relative, bool folder) {
    const std::filesystem::path path = std::filesystem::path(root) / utf8Relative;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (folder)
        return std::filesystem::create_directory(path, error);
    return static_cast<bool>(std::ofstream(path));
}
