// ProfileBinding's calls and its decimal conversions.
#include "hostconfig/profile_binding.h"

#include "platform/win32.h"
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

std::int64_t ParseSignedDecimal(const char* text) {
    while (IsSpace(*text))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    // Accumulate towards the sign so that the lowest value is reachable.
    const std::int64_t low = std::numeric_limits<std::int64_t>::min();
    const std::int64_t high = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        const int digit = *text - '0';
        if (negative) {
            if (value < (low + digit) / 10)
                return low;
            value = value * 10 - digit;
        } else {
            if (value > (high - digit) / 10)
                return high;
            value = value * 10 + digit;
        }
    }
    return value;
}

std::uint64_t ParseUnsignedDecimal(const char* text) {
    while (IsSpace(*text))
        ++text;
    const std::uint64_t high = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        const unsigned digit = static_cast<unsigned>(*text - '0');
        if (value > (high - digit) / 10)
            return high;
        value = value * 10 + digit;
    }
    return value;
}

ProfileBinding::ProfileBinding(const char* path, const char* name) {
    BindFile(path);
    BindSection(name);
    std::memset(valueBuffer, 0, sizeof(valueBuffer));
}

void ProfileBinding::BindFile(const char* path) {
    std::memset(filePath, 0, sizeof(filePath));
    BoundedCopy(filePath, kPathBufferSize, path);
}

void ProfileBinding::BindSection(const char* name) {
    BoundedCopy(sectionName, kPathBufferSize, name);
}

const char* ProfileBinding::GetString(const char* key, const char* defaultValue) {
    GetPrivateProfileStringA(sectionName, key, defaultValue, valueBuffer, kPathBufferSize,
                             filePath);
    return valueBuffer;
}

char* ProfileBinding::GetStringInto(const char* key, const char* defaultValue, char* buffer,
                                    std::int32_t size) {
    if (size > 0)
        GetPrivateProfileStringA(sectionName, key, defaultValue, buffer, static_cast<DWORD>(size),
                                 filePath);
    return buffer;
}

std::int32_t ProfileBinding::GetInt(const char* key, std::int32_t defaultValue) {
    return static_cast<std::int32_t>(
        GetPrivateProfileIntA(sectionName, key, defaultValue, filePath));
}

std::int64_t ProfileBinding::GetInt64(const char* key, std::int64_t defaultValue) {
    char text[30] = {};
    std::snprintf(text, sizeof(text), "%lld", static_cast<long long>(defaultValue));
    return ParseSignedDecimal(GetString(key, text));
}

std::uint64_t ProfileBinding::GetUInt64(const char* key, std::uint64_t defaultValue) {
    char text[30] = {};
    std::snprintf(text, sizeof(text), "%llu", static_cast<unsigned long long>(defaultValue));
    return ParseUnsignedDecimal(GetString(key, text));
}

int ProfileBinding::PutString(const char* key, const char* value) {
    return WritePrivateProfileStringA(sectionName, key, value, filePath);
}

int ProfileBinding::PutInt(const char* key, std::int32_t value) {
    char text[32] = {};
    std::snprintf(text, sizeof(text), "%ld", static_cast<long>(value));
    return PutString(key, text);
}

int ProfileBinding::PutUInt64(const char* key, std::uint64_t value) {
    char text[30] = {};
    std::snprintf(text, sizeof(text), "%llu", static_cast<unsigned long long>(value));
    return PutString(key, text);
}

std::int32_t ProfileBinding::IsWritable() {
    PutInt("Test", 1);
    return GetInt("Test", 0);
}
