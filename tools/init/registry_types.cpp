// The registry reader of `lumbrasket init`. Every extension key carries the
// same weight, so of two keys that fold to one extension the first listed
// wins.
#include "tools/init/registry_types.h"

#include "tools/init/kind_table.h"

namespace {

// A text value of the key, empty when it is missing or is no text.
std::string TextValue(HKEY key, const char* name) {
    char data[256] = {};
    DWORD type = 0;
    DWORD size = sizeof(data) - 1;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(data), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return std::string();
    // A value need not end in a NUL of its own.
    return std::string(data, size < sizeof(data) ? size : sizeof(data) - 1).c_str();
}

} // namespace

TypeDatabase ReadRegistryTypes(HKEY classes, const char* classesName) {
    TypeDatabase database;
    database.source = std::string("the registry's extension keys in ") + classesName;
    for (DWORD index = 0;; ++index) {
        char name[256] = {};
        DWORD nameSize = sizeof(name);
        const LONG listed =
            RegEnumKeyExA(classes, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
        if (listed == ERROR_MORE_DATA)
            continue; // no extension is that long
        if (listed != ERROR_SUCCESS)
            break;
        if (name[0] != '.' || name[1] == '\0')
            continue;
        HKEY key = nullptr;
        if (RegOpenKeyExA(classes, name, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            continue;
        const std::string perceived = TextValue(key, "PerceivedType");
        const std::string contentType = TextValue(key, "Content Type");
        RegCloseKey(key);
        std::string kind = KindOfPerceivedType(perceived);
        if (kind.empty())
            kind = KindOfMediaType(contentType, std::string());
        // A type without a kind gives a record without a pattern: the table's
        // comment names it among the types whose files get the fallback group.
        if (kind.empty())
            ++database.typesLeftWithoutKind;
        database.globs.push_back(TypeGlob{
            50, name, kind.empty() ? std::string() : std::string("*") + name, false, kind});
    }
    return database;
}
