// ProfileBinding: one INI-format file and one section, read and written one
// key at a time through the platform's private-profile calls, with 32-bit and
// 64-bit numbers converted to and from decimal text. A plain value: it owns
// no resource and can be copied.
#pragma once

#include "settings/bounded_string.h"
#include <cstdint>

class ProfileBinding {
public:
    ProfileBinding(const char* filePath, const char* sectionName);

    void BindFile(const char* path);
    void BindSection(const char* name);
    const char* BoundSection() const { return sectionName; }

    // The value, or the default, in the binding's one value buffer: the view
    // shows the latest GetString, GetInt64 or GetUInt64 of this binding.
    const char* GetString(const char* key, const char* defaultValue);
    // The caller's buffer, which gets the value or the default; a size of 0 or
    // less writes nothing.
    char* GetStringInto(const char* key, const char* defaultValue, char* buffer, std::int32_t size);
    std::int32_t GetInt(const char* key, std::int32_t defaultValue);
    std::int64_t GetInt64(const char* key, std::int64_t defaultValue);
    std::uint64_t GetUInt64(const char* key, std::uint64_t defaultValue);

    // The platform's success flag: non-zero when the key was written.
    int PutString(const char* key, const char* value);
    int PutInt(const char* key, std::int32_t value);
    int PutUInt64(const char* key, std::uint64_t value);

    // Writes 1 under key "Test" and reads it back: 1 when the file took it
    // (or already held it), 0 otherwise. The key stays in the file.
    std::int32_t IsWritable();

private:
    char filePath[kPathBufferSize];
    char sectionName[kPathBufferSize];
    char valueBuffer[kPathBufferSize];
};

// Decimal parsing as the binding reads numbers: leading white space, a sign
// (signed only), digits up to the first non-digit; no digits give 0, and a
// number out of range gives the nearest limit. An unsigned text with a minus
// sign has no digits where the parse starts, and gives 0.
std::int64_t ParseSignedDecimal(const char* text);
std::uint64_t ParseUnsignedDecimal(const char* text);
