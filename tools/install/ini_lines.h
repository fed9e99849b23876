// An INI file's lines, edited one key at a time, found by the rules the
// system's profile calls read them by (platform/text/ini_text.h: what a line,
// a section header and a key line are; sections and keys found without
// regard to ASCII case, the first of a name counting; a value trimmed and
// read without one pair of quotes around it), with every other line kept as
// it was, byte for byte, line ends, encoding and any bytes no reader takes
// included.
#pragma once

#include "platform/text/ini_encoding.h"

#include <string>
#include <vector>

class IniLines {
public:
    // The file's bytes, in any encoding IniEncodingOf tells.
    explicit IniLines(const std::string& bytes);

    // Whether names and values are UTF-8 text (a UTF-16 file's, or one
    // after a UTF-8 byte-order mark) rather than in the system's code page.
    bool Unicode() const { return encoding != IniEncoding::kCodePage; }

    // The key's value, or empty when the section or the key is not there.
    std::string Get(const std::string& section, const std::string& key) const;
    // Replaces the key's line, or adds one at the end of the section (the
    // section at the end of the file when there is none).
    void Put(const std::string& section, const std::string& key, const std::string& value);
    // Takes the key's line out; the section stays.
    void Drop(const std::string& section, const std::string& key);

    // The section's key lines in their order, each name and value as Get
    // reads them: for work over a whole numbered list in one pass, where a
    // Get per key, each looking from the file's start, would be quadratic.
    struct SectionKey {
        std::string name;
        std::string value;
    };
    std::vector<SectionKey> Keys(const std::string& section) const;
    // Gives the section's key lines, in the order Keys gives them, the names
    // in `names` (empty: the line is taken out), in one pass; each value
    // stays as it was written.
    void RenameKeys(const std::string& section, const std::vector<std::string>& names);

    // Whether the file has a section of that name.
    bool HasSection(const std::string& section) const { return Section(section) >= 0; }

    // The file's bytes: the same bytes as given when nothing was changed.
    std::string Text() const;

private:
    // The line of the section's header, and of the key in it; -1 for none.
    int Section(const std::string& section) const;
    int Key(int section, const std::string& key) const;
    // The line after the section's last line that is not blank.
    int SectionEnd(int section) const;
    // Whether the line is one of the section's keys, not blank.
    bool IsKeyLine(int line) const;
    bool IsHeader(int line) const;
    // A name as the reader compares it: in a UTF-16 file the reader takes a
    // lone surrogate for U+FFFD, which the text edited here keeps as it is.
    std::string AsRead(const std::string& name) const;
    void EndLastLine();

    // Each line with the end it had ("\r\n", "\n", "\r", or none at the
    // file's end); a line added gets the first line's end.
    struct Line {
        std::string text;
        std::string end;
    };
    IniEncoding encoding = IniEncoding::kCodePage;
    // What the lines do not hold: a UTF-8 byte-order mark before them, and
    // the odd last byte of a UTF-16 file after them.
    std::string mark;
    std::string tail;
    std::vector<Line> lines;
    std::string lineEnd = "\r\n";
};
