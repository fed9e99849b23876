// The settings file as bytes, judged before the plugin's reader sees it.
#include "tools/lumbrasket/settings_file_form.h"

#include "platform/text/printable_text.h"
#include "settings/profile_section.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

constexpr std::size_t kByteOrderMarkBytes = 2;

} // namespace

TextForm FormOf(const std::string& bytes) {
    TextForm form;
    if (bytes.size() >= 2 &&
        (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0)) {
        form.utf16 = true;
        form.bigEndian = bytes[0] == '\xFE';
        return form;
    }
    // Settings are mostly ASCII, which UTF-16 writes with a NUL beside every
    // byte: NULs at most places of one parity.
    std::size_t nuls[2] = {0, 0};
    for (std::size_t at = 0; at < bytes.size(); ++at)
        nuls[at % 2] += bytes[at] == '\0';
    const std::size_t odd = bytes.size() / 2;
    form.unmarked = odd >= 2 && (nuls[1] * 2 > odd || nuls[0] * 2 > bytes.size() - odd);
    return form;
}

std::string FileProblem(const std::string& path, std::string& bytes) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found)
        return "does not exist";
    if (error)
        return "cannot be read (" + PrintableText(error.message()) + ")";
    if (status.type() == fs::file_type::directory)
        return "is a folder, not a file";
    if (status.type() != fs::file_type::regular)
        return "is not a regular file (a pipe, a device or the like), and the plugin never "
               "reads one";
    if (ProfileSection::FileTooLarge(path))
        return "is larger than the " + std::to_string(ProfileSection::kLargestFile >> 20) +
               " MiB a settings file may be, and the plugin never reads it (a running plugin "
               "keeps the table it has; one that starts uses the defaults until it starts again "
               "after the file is mended)";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return "cannot be read (" + PrintableText(std::strerror(errno)) + ")";
    char chunk[4096];
    std::size_t count;
    while ((count = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
        bytes.append(chunk, count);
    std::fclose(file);
    return "";
}

std::vector<std::string> LinesWithNul(const std::string& bytes, const TextForm& form) {
    const std::size_t step = form.utf16 ? 2 : 1;
    const auto unit = [&](std::size_t at) -> unsigned {
        const unsigned char first = static_cast<unsigned char>(bytes[at]);
        if (!form.utf16)
            return first;
        const unsigned char second = static_cast<unsigned char>(bytes[at + 1]);
        return form.bigEndian ? first << 8 | second : second << 8 | first;
    };
    std::vector<std::string> lines;
    std::string line;
    bool hasNul = false;
    // UTF-16 begins after its byte-order mark and ends at its last whole
    // code unit; a lone byte after it is no character.
    const std::size_t start = form.utf16 ? kByteOrderMarkBytes : 0;
    const std::size_t end = bytes.size() - (bytes.size() - start) % step;
    for (std::size_t at = start; at <= end; at += step) {
        const unsigned character = at < end ? unit(at) : '\n';
        if (character == '\r' || character == '\n') {
            if (hasNul) {
                const std::size_t first = line.find_first_not_of(" \t");
                const std::size_t last = line.find_last_not_of(" \t");
                lines.push_back(first == std::string::npos ? ""
                                                           : line.substr(first, last - first + 1));
            }
            line.clear();
            hasNul = false;
        } else if (character == 0) {
            hasNul = true;
        } else if (!hasNul) {
            line += character < 0x80 || !form.utf16 ? static_cast<char>(character) : '?';
        }
    }
    return lines;
}
