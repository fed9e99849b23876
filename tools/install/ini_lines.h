// An INI file's lines, edited one key at a time the way the system's profile
// calls read and write them (sections and keys found without regard to ASCII
// case, the first of a name counting; a value trimmed of blanks and of one
// pair of quotes around it), with every other line kept as it was, line
// ends included.
#pragma once

#include <string>
#include <vector>

class IniLines {
public:
    explicit IniLines(const std::string& text);

    // The key's value, or empty when the section or the key is not there.
    std::string Get(const std::string& section, const std::string& key) const;
    // Replaces the key's line, or adds one at the end of the section (the
    // section at the end of the file when there is none).
    void Put(const std::string& section, const std::string& key, const std::string& value);
    // Takes the key's line out; the section stays.
    void Drop(const std::string& section, const std::string& key);

    // Whether the file has a section of that name.
    bool HasSection(const std::string& section) const { return Section(section) >= 0; }

    // The text: the same bytes as given when nothing was changed.
    std::string Text() const;

private:
    // The line of the section's header, and of the key in it; -1 for none.
    int Section(const std::string& section) const;
    int Key(int section, const std::string& key) const;
    // The line after the section's last line that is not blank.
    int SectionEnd(int section) const;
    void EndLastLine();

    // Each line with the end it had ("\r\n", "\n" or none at the file's
    // end); a line added gets the first line's end.
    struct Line {
        std::string text;
        std::string end;
    };
    std::vector<Line> lines;
    std::string lineEnd = "\r\n";
};
