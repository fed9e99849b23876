// Text for a person, written where the tool's output goes. A console shows
// characters, not bytes: on Windows it reads bytes in its own code page,
// which is seldom the system's ANSI code page that names arrive in, so a
// name written there as bytes shows garbled. Output to a file or a pipe
// stays the bytes as they are.
#pragma once

#include <cstdio>
#include <string>

// Writes the text (in the system's multibyte code page) to the stream, as
// characters when the stream is a console; false when it could not be
// written whole.
bool WriteConsoleText(std::FILE* stream, const std::string& text);
