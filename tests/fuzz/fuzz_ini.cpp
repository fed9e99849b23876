// Fuzzed INI files through every read and list call of the platform, each
// with buffers of exactly the size asked for (any byte written past one is a
// finding), a listing checked against the key-by-key reads it stands for,
// and a write that must leave every other key as it was.
#include "tests/fuzz/fuzz_input.h"
#include "settings/profile_section.h"
#include "tests/support/scratch_folder.h"
#include "platform/win32.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "finding: %s\n", what);
        std::abort();
    }
}

std::string Folded(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A list call into a heap buffer of exactly `size` bytes: the result never
// passes the buffer and the text in it is terminated within it.
void ListIntoExactBuffer(const std::function<DWORD(char*, DWORD)>& list, DWORD size) {
    std::unique_ptr<char[]> buffer(new char[size]);
    const DWORD result = list(buffer.get(), size);
    Check(result < size, "a list result at or past the buffer's size");
    Check(buffer[result] == '\0', "a list not terminated at its result");
}

// The values every key name of the section reads, the first of a name
// winning; "<missing>" for a name whose first line has no '='.
std::map<std::string, std::string> Values(const std::string& path, const std::string& section) {
    std::map<std::string, std::string> values;
    ProfileSection profile(path, section);
    ProfileSection::ForEachKey(
        profile.ListSection(), [&](std::string_view key, std::string_view value, bool hasValue) {
            values.emplace(Folded(std::string(key)), hasValue ? std::string(value) : "<missing>");
        });
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScratchFolder folder;
    FuzzInput input(data, size);
    const std::string section = input.Text(8);
    const std::string path = folder.Write("fuzz.ini", input.Rest());
    const char* file = path.c_str();

    for (DWORD listSize : {1u, 2u, 3u, 4u, 5u, 7u, 16u, 61u}) {
        ListIntoExactBuffer(
            [&](char* buffer, DWORD n) {
                return GetPrivateProfileSectionA(section.c_str(), buffer, n, file);
            },
            listSize);
        ListIntoExactBuffer(
            [&](char* buffer, DWORD n) {
                return GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer, n, file);
            },
            listSize);
        ListIntoExactBuffer(
            [&](char* buffer, DWORD n) {
                return GetPrivateProfileStringA(nullptr, nullptr, "", buffer, n, file);
            },
            listSize);
    }

    // The listing stands for the reads: each first key of a name reads what
    // the listing gives, and reads into exact buffers stay inside them.
    const std::map<std::string, std::string> before = Values(path, section);
    ProfileSection profile(path, section);
    for (const auto& [name, value] : before) {
        // A key without a name is no key a read can ask for.
        if (name.empty())
            continue;
        Check(profile.ReadString(name.c_str(), "<missing>") == value,
              "a listed value that its own read does not give");
        for (DWORD valueSize : {1u, 2u, static_cast<DWORD>(value.size() + 1)}) {
            std::unique_ptr<char[]> buffer(new char[valueSize]);
            const DWORD result = GetPrivateProfileStringA(section.c_str(), name.c_str(), "",
                                                          buffer.get(), valueSize, file);
            Check(result < valueSize && buffer[result] == '\0', "a read past its buffer");
        }
    }

    // A write changes the key written and nothing else.
    if (!before.empty() && before.begin()->second != "<missing>" &&
        section.find_first_of("[]\r\n") == std::string::npos && !section.empty()) {
        const std::string& key = before.begin()->first;
        if (!key.empty() && key.find_first_of("=\r\n;[") == std::string::npos &&
            key.find('\0') == std::string::npos &&
            WritePrivateProfileStringA(section.c_str(), key.c_str(), "written", file)) {
            std::map<std::string, std::string> after = Values(path, section);
            Check(after[key] == "written", "a write that does not read back");
            after.erase(key);
            std::map<std::string, std::string> rest = before;
            rest.erase(key);
            Check(after == rest, "a write that changed another key");
        }
    }
    return 0;
}
