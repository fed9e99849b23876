// The shared MIME-info reader: globs2 lines are weight:type:glob[:flags],
// generic-icons lines type:icon, '#' begins a comment line in both.
#include "tools/init/mime_database.h"

#include "tools/files/replaced_file.h"
#include "tools/init/kind_table.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace {

// Text between separators, empty pieces kept.
std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    for (;;) {
        const std::size_t end = text.find(separator);
        pieces.emplace_back(text.substr(0, end));
        if (end == std::string_view::npos)
            return pieces;
        text.remove_prefix(end + 1);
    }
}

// The lines of a file of the database, or nothing when it is missing (a
// folder may hold any of the files, or not be there at all). A file that is
// there but cannot be read (a FIFO or a device is not read at all) adds
// "cannot read PATH: the reason" to `unreadable`: a user who gets the
// sample's groups should learn why.
std::vector<std::string> Lines(const std::string& path, std::vector<std::string>& unreadable) {
    std::vector<std::string> lines;
    std::error_code error;
    if (std::filesystem::status(path, error).type() == std::filesystem::file_type::not_found)
        return lines;
    std::string text;
    std::string reason;
    if (!ReadWholeFile(path, text, reason)) {
        unreadable.push_back("cannot read " + path + ": " + reason);
        return lines;
    }
    for (std::string& line : Split(text, '\n')) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] != '#')
            lines.push_back(std::move(line));
    }
    return lines;
}

bool IsWeight(const std::string& text) {
    return !text.empty() && text.size() <= 3 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

const char* const kNoGlobs = "__NOGLOBS__";

} // namespace

std::vector<std::string> MimeFolders(const char* dataHome, const char* dataDirs, const char* home) {
    std::vector<std::string> bases;
    if (dataHome != nullptr && *dataHome != '\0')
        bases.push_back(dataHome);
    else if (home != nullptr && *home != '\0')
        bases.push_back(std::string(home) + "/.local/share");
    const std::vector<std::string> dirs = Split(
        dataDirs != nullptr && *dataDirs != '\0' ? dataDirs : "/usr/local/share:/usr/share", ':');
    bases.insert(bases.end(), dirs.begin(), dirs.end());
    std::vector<std::string> folders;
    for (std::string base : bases) {
        if (base.empty() || base[0] != '/')
            continue;
        while (base.size() > 1 && base.back() == '/')
            base.pop_back();
        const std::string folder = (base == "/" ? "" : base) + "/mime";
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    return folders;
}

std::vector<std::string> MimeFoldersOfEnvironment() {
    return MimeFolders(std::getenv("XDG_DATA_HOME"), std::getenv("XDG_DATA_DIRS"),
                       std::getenv("HOME"));
}

TypeDatabase ReadMimeDatabase(const std::vector<std::string>& folders) {
    TypeDatabase database;
    std::unordered_map<std::string, std::string> icons;
    // Types whose patterns a stronger folder has closed to the folders after it.
    std::unordered_set<std::string> closed;
    std::vector<std::string> read;
    std::vector<std::string> unreadable;
    for (const std::string& folder : folders) {
        const std::vector<std::string> globLines = Lines(folder + "/globs2", unreadable);
        for (const std::string& line : Lines(folder + "/generic-icons", unreadable)) {
            const std::size_t colon = line.find(':');
            if (colon != std::string::npos && colon > 0 && colon + 1 < line.size())
                icons.emplace(line.substr(0, colon), line.substr(colon + 1));
        }
        if (!globLines.empty())
            read.push_back(folder);
        std::unordered_set<std::string> closing;
        for (const std::string& line : globLines) {
            // The glob is the third field; a glob holding ':' cannot be told
            // from one with flags, and the database writes none.
            const std::vector<std::string> fields = Split(line, ':');
            if (fields.size() < 3 || !IsWeight(fields[0]) || fields[1].empty() ||
                fields[2].empty() || closed.count(fields[1]) != 0)
                continue;
            if (fields[2] == kNoGlobs) {
                closing.insert(fields[1]);
                continue;
            }
            TypeGlob record;
            record.weight = std::atoi(fields[0].c_str());
            record.type = fields[1];
            record.glob = fields[2];
            if (fields.size() > 3)
                for (const std::string& flag : Split(fields[3], ','))
                    record.caseSensitive = record.caseSensitive || flag == "cs";
            database.globs.push_back(record);
        }
        closed.insert(closing.begin(), closing.end());
    }
    for (TypeGlob& record : database.globs) {
        const auto icon = icons.find(record.type);
        record.kind = KindOfMediaType(record.type, icon == icons.end() ? "" : icon->second);
    }
    database.source = "the shared MIME-info database";
    for (const std::string& folder : read)
        database.source += (folder == read.front() ? " in " : ", ") + folder;
    std::string problems;
    for (const std::string& problem : unreadable)
        problems += (problems.empty() ? "" : "; ") + problem;
    if (read.empty())
        database.source += unreadable.empty() ? " (no globs2 file found)"
                                              : " (no globs2 file could be read: " + problems + ")";
    else if (!unreadable.empty())
        database.source += " (" + problems + ")";
    return database;
}
