// The encodings a settings file may be saved in, as the system's profile
// calls read them: the system's code page (UTF-8 on Linux), UTF-8 after its
// byte-order mark, and UTF-16 in either byte order after its byte-order mark
// (Notepad's "Unicode"). The readers and editors work on a UTF-16 file's
// text as UTF-8, and a write puts it back in the encoding it came in.
#pragma once

#include <string>
#include <string_view>

// The UTF-16 encodings last, so that one comparison tells them.
enum class IniEncoding { kCodePage, kUtf8, kUtf16LittleEndian, kUtf16BigEndian };

inline bool IsUtf16(IniEncoding encoding) {
    return encoding >= IniEncoding::kUtf16LittleEndian;
}

// The encoding a file's bytes are in, from its byte-order mark.
IniEncoding IniEncodingOf(const std::string& bytes);
// The file's text, and the encoding it was in: a UTF-16 file's as UTF-8 (its
// byte-order mark dropped, a character that cannot be decoded written as
// U+FFFD, an odd last byte dropped), any other file's bytes as they are.
std::string DecodeIniText(const std::string& bytes, IniEncoding& encoding);
// The file's text as a write edits it: decoded so that EncodeIniText gives
// back every byte. A UTF-16 surrogate without its partner is kept in its
// three-byte UTF-8 form (never valid UTF-8, so no text a caller writes can
// stand for it), and an odd byte at the end is handed back apart in `tail`.
std::string DecodeIniTextExactly(const std::string& bytes, IniEncoding& encoding,
                                 std::string& tail);
// Text from DecodeIniTextExactly as DecodeIniText gives it: each kept lone
// surrogate read as U+FFFD.
std::string LoneSurrogatesAsRead(std::string_view text);
// The text in the encoding: a UTF-16 file's UTF-8 text as UTF-16 with its
// byte-order mark, any other file's as it is.
std::string EncodeIniText(const std::string& text, IniEncoding encoding);
