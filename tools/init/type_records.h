// What `lumbrasket init` reads from a system's type database, in one form
// for every source: the file-name patterns each type claims, with the kind
// its source gave the type.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct TypeGlob {
    // Of several types that claim one pattern, the highest weight wins; of
    // equal weights, a type whose media type is font/, image/, audio/ or
    // video/ before the others, else the record that comes first.
    int weight = 50;
    std::string type; // the media type, or what else names the type, for the opening comment
    std::string glob; // '*' any run, '?' one character, [...] one of a class; empty: none
    bool caseSensitive = false;
    std::string kind; // empty: the type has none, and its files get the fallback group
};

struct TypeDatabase {
    std::string source;          // where the records come from, in words for the comment
    std::vector<TypeGlob> globs; // in the database's own order
    // Types the source knew but had no kind for, each given as a record
    // without a pattern.
    std::size_t typesLeftWithoutKind = 0;
};
