// The keys of one section of an INI file's text, read in one pass and
// renamed or taken out in one more: for edits that go over a whole numbered
// list the host keeps in a section, which key-at-a-time calls, each looking
// for its section and key from the file's start, would make quadratic in the
// list's length. The section and its keys are found as IniLines finds them
// (the first section of the name, ASCII case ignored; names and values
// trimmed of blanks, a value of one pair of quotes around it), and every
// line not renamed or taken out keeps its bytes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class IniSectionKeys {
public:
    IniSectionKeys(const std::string& text, const std::string& section);

    struct Key {
        std::string name;
        std::string value;
    };
    // The section's keys in the order of their lines; empty when the file
    // has no such section.
    const std::vector<Key>& Keys() const { return keys; }

    // The key's line with another name, its value kept as it was written.
    void Rename(std::size_t key, const std::string& name);
    // The key's line taken out.
    void Erase(std::size_t key);

    std::string Text() const;

private:
    // Each line with its end.
    std::vector<std::string> lines;
    std::vector<Key> keys;
    std::vector<std::size_t> keyLines;
    std::vector<bool> erased;
};
