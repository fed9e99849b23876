// The kinds of file that `lumbrasket init` groups types into, and the one
// table that says which type goes into which kind.
#pragma once

#include <cstddef>
#include <string>

// What a rule of the table looks at.
enum class KindKey { kMediaType, kGenericIcon, kPerceivedType };

struct KindRule {
    KindKey key;
    const char* pattern; // '*' stands for any run of characters
    const char* kind;
};

// The rules in the order they are tried: the first that matches decides.
extern const KindRule kKindRules[];
extern const std::size_t kKindRuleCount;

// The kind of a type of the shared MIME-info database: by its media type
// among the source-code types, else by its generic icon, else by its media
// type's top-level part. Empty when none matches.
std::string KindOfMediaType(const std::string& mediaType, const std::string& genericIcon);
// The kind of a Windows registry class's PerceivedType; empty when unknown.
std::string KindOfPerceivedType(const std::string& perceivedType);

// Where a kind's groups stand among the others: a kind not in the order
// comes after every kind that is.
std::size_t KindRank(const std::string& kind);

// The table as comment lines of a settings file (each begins with ';').
std::string KindTableComment();
