// The full spelling of a path, for the tools that hand paths to the plugin
// or name them to a person.
#include "platform/text/full_path.h"

#include <filesystem>

std::string FullPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full.lexically_normal().make_preferred().string();
}
