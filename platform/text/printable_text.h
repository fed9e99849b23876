// Texts as a person is shown them: a name from a file or a folder must
// neither act on a terminal nor split a line, and the checks of what a text
// holds that decide how it is shown or read.
#pragma once

#include <string>

// The text as the tools print it: control characters written as escapes
// ("\033", "\n"), so that a name from a file or a folder can neither move
// the cursor, clear the screen or retitle the window, nor split a line. Where
// text is UTF-8, the C1 controls (U+0080 to U+009F), the bidirectional
// controls (U+061C, U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069) and
// bytes that are no UTF-8 are escaped too (byte by byte, in octal), and so
// are U+200E and U+200F where an ANSI code page holds them as bytes. '\'
// stays as it is: it separates Windows paths.
std::string PrintableText(const std::string& text);
// Whether PrintableText escapes a control character of the text.
bool HasControlCharacters(const std::string& text);

// Whether the bytes are valid UTF-8, and whether they hold any byte of 128
// or more.
bool IsValidUtf8(const std::string& text);
bool HasNonAscii(const std::string& text);
