// The value a private-profile read hands out for a key's value as the file
// writes it. On Windows the system's reader applies this rule; the Linux
// reader applies it through these functions, and so does every reader of a
// section listing (which gives values as written), so that a value reads
// alike whichever way it is asked for.
#pragma once

#include <cstddef>
#include <string_view>

// Whether the character is a blank that every reader drops around a value
// (and a key): a space or a tab. The readers drop a few control characters
// there as well (a vertical tab, a form feed); the checker reports those as
// control characters, not as blanks.
inline bool IsValueBlank(char c) {
    return c == ' ' || c == '\t';
}

// Whether the value stands in a pair of equal quotes (" or '), which a read
// drops.
inline bool IsQuotedIniValue(std::string_view value) {
    return value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
}

// What the value says before any cut: without its pair of quotes.
inline std::string_view UnquotedIniValue(std::string_view value) {
    return IsQuotedIniValue(value) ? value.substr(1, value.size() - 2) : value;
}

// The value as a read into a buffer of `bufferSize` bytes (at least 1) gives
// it: UnquotedIniValue cut to bufferSize - 1 bytes, except that the closing
// quote is dropped as the last character of what fits, as the system's
// reader does it, so a quoted value that only just fits loses its last
// character as well. The view lies within `value`.
inline std::string_view IniValueAsRead(std::string_view value, std::size_t bufferSize) {
    const std::size_t room = bufferSize - 1;
    if (!IsQuotedIniValue(value))
        return value.substr(0, room);
    const std::string_view rest = value.substr(1);
    std::string_view cut = rest.substr(0, room);
    if (bufferSize >= rest.size() && !cut.empty())
        cut.remove_suffix(1);
    return cut;
}
