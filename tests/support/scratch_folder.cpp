// Scratch folders and files for the tests, over std::filesystem.
#include "tests/support/scratch_folder.h"

#include "platform/win32.h"
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <cstdio>

namespace fs = std::filesystem;

namespace {

std::string Native(const fs::path& path) {
    fs::path copy = path;
    return copy.make_preferred().string();
}

} // namespace

ScratchFolder::ScratchFolder() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (;;) {
        fs::path candidate =
            fs::temp_directory_path() /
            ("lumbrasket-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            root = Native(candidate);
            return;
        }
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code error;
    fs::remove_all(root, error);
}

std::string ScratchFolder::Path(const std::string& relative) const {
    return Native(fs::path(root) / fs::path(relative));
}

std::string ScratchFolder::Write(const std::string& relative, const std::string& bytes) const {
    std::string path = Path(relative);
    fs::create_directories(fs::path(path).parent_path());
    // Through the C runtime's narrow open, so that a name with bytes above
    // 127 is taken in the system code page, as the plugin's own calls take it.
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file != nullptr) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return path;
}

std::string ScratchFolder::MakeFolder(const std::string& relative) const {
    fs::path path = Path(relative);
    fs::create_directories(path);
    return Native(path);
}

std::string SystemPath(std::string text) {
    for (char& c : text)
        if (c == '|')
            c = kPathSeparator;
    return text;
}

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return Native(fs::path(path).parent_path());
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

bool CopyFileTo(const std::string& from, const std::string& to) {
    std::error_code error;
    fs::create_directories(fs::path(to).parent_path(), error);
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
}

void RemoveFile(const std::string& path) {
    std::error_code error;
    fs::remove(path, error);
}
