// What `lumbrasket init` reads from a system's type database, in one form
// for every source: the file-name patterns each type claims, with the kind
// its source gave the type.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct TypeGlob {
    // Of several types that claim one pattern, the highest weight wins, and
    // of equal weights the record that comes first.
    int weight = 50;
    std::string type; // the media type, or what else names the type, for the opening comment
    std::string glob; // '*' any run, '?' one character, [...] one of a class
    bool caseSensitive = false;
    std::string kind; // empty: the type has none, and its files get the fallback group
};

struct TypeDatabase {
    std::string source;          // where the records come from, in words for the comment
    std::vector<TypeGlob> globs; // in the database's own order
    // Types the source knew but had no kind for and so gave no record.
    std::size_t typesLeftWithoutKind = 0;
};
