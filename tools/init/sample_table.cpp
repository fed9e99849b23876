// The sample's groups as data; a test holds them equal to the groups that
// the plugin's loader reads from examples/Lumbrasket.ini.
#include "tools/init/sample_table.h"

#include <algorithm>
#include <iterator>
#include <string_view>

const SampleGroup kSampleGroups[] = {
    {"Documents", "pdf|doc|docx|odt|rtf|epub", ""},
    {"Spreadsheets", "xls|xlsx|ods|csv|tsv", ""},
    {"Presentations", "ppt|pptx|odp", ""},
    {"Images", "jpg|jpeg|png|gif|bmp|svg|webp|heic|tif|tiff", ""},
    {"Audio", "mp3|flac|ogg|opus|wav|m4a", ""},
    {"Video", "mp4|mkv|webm|avi|mov", ""},
    {"Archives", "zip|7z|rar|tar|gz|bz2|xz|zst|tgz", "*.tar.*"},
    {"Disk images", "iso|img|dmg|vhd|vhdx|qcow2|vmdk", ""},
    {"Fonts", "ttf|otf|woff|woff2", ""},
    {"Source code", "c|cpp|h|hpp|py|js|ts|rs|go|java|cs", ""},
    {"Scripts", "sh|bat|cmd|ps1", ""},
    {"Build files", "cmake|mk", "Makefile|CMakeLists.txt|*.cmake"},
    {"Settings", "ini|cfg|conf|json|yaml|yml|toml|xml", ""},
    {"Documentation", "", "README*|LICENSE*|COPYING*"},
    {"Web pages", "html|htm|css", ""},
    {"Text", "txt|log|md|rst|nfo", ""},
    {"Programs", "exe|dll|msi", ""},
};
const std::size_t kSampleGroupCount = std::size(kSampleGroups);

namespace {

template <typename Take> void ForEachPiece(std::string_view list, Take take) {
    while (!list.empty()) {
        const std::size_t end = std::min(list.find('|'), list.size());
        take(std::string(list.substr(0, end)));
        list.remove_prefix(std::min(end + 1, list.size()));
    }
}

} // namespace

void AddSampleGroups(TypeDatabase& database) {
    for (const SampleGroup& group : kSampleGroups) {
        const std::string type = std::string("sample ") + group.name;
        ForEachPiece(group.extensions, [&](const std::string& extension) {
            database.globs.push_back(
                TypeGlob{kSampleWeight, type, "*." + extension, false, group.name});
        });
        ForEachPiece(group.masks, [&](const std::string& mask) {
            database.globs.push_back(TypeGlob{kSampleWeight, type, mask, false, group.name});
        });
    }
}
