// The multibyte code page that the C runtime's _mbs* routines use. Windows
// can switch it (tests use a double-byte code page to prove that a trail byte
// is never taken for a separator); Linux text is UTF-8 and stays so.
#pragma once

constexpr int kUtf8CodePage = 65001;

int MultibyteCodePage();
// The system's ANSI code page, which names arrive in and a Windows console
// reads the bytes written to it in; UTF-8 on Linux.
int AnsiCodePage();
// True when the code page is now in effect.
bool SetMultibyteCodePage(int codePage);

// The character after the one at `text` in the code page in effect: a
// double-byte character is one, a lead byte cut by the terminator one byte.
// Never steps past the terminator.
const char* NextCharacter(const char* text);

// True when no byte below 128 can be the second byte of a character in the
// code page in effect (UTF-8, any single-byte code page): a byte-wise search
// for '\\', '/' or '.' is then as right as a character-wise one.
bool AsciiIsNeverATrailByte();
