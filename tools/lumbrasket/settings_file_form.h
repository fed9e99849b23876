// What a settings file is before the plugin reads it: what stands at the
// path (a folder, a pipe, a file too large), and how its bytes are read
// (8-bit text, UTF-16 with or without its byte-order mark, lines with NULs).
// The checker tells its author what the reader will make of these.
#pragma once

#include <string>
#include <vector>

// How a text is read: as 8-bit text, or as UTF-16 after its byte-order mark.
struct TextForm {
    bool utf16 = false;
    bool bigEndian = false;
    // UTF-16 without a byte-order mark, which the reader takes for 8-bit text.
    bool unmarked = false;
};

// The form of the file's bytes.
TextForm FormOf(const std::string& bytes);

// What stands at the path, told without opening it: a FIFO or a device is
// never opened, as the plugin's reader never opens one. Empty when it is a
// regular file that can be read; `bytes` then holds its text.
std::string FileProblem(const std::string& path, std::string& bytes);

// The lines of the text that hold a NUL, as the reader lists them: the part
// before the NUL, trimmed. UTF-16 is taken in code units, as the reader
// decodes it (a character beyond ASCII shown as '?'). One pass over the text.
std::vector<std::string> LinesWithNul(const std::string& bytes, const TextForm& form);
